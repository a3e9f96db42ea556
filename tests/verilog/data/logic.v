// Bitwise logic, reductions, logical operators, shifts of every kind (constant, variable,
// arithmetic, part-selects), multiplexers, case statements and array indexing.
module logic_ops (
  input [15:0] a, input [15:0] b, input [3:0] s, input [1:0] op, input signed [15:0] sa,
  input [71:0] wide, input [6:0] ws,
  output [15:0] and_o, output [15:0] or_o, output [15:0] xor_o, output [15:0] xnor_o, output [15:0] not_o,
  output [7:0] reduce_o, output [2:0] logical_o,
  output [15:0] shl_o, output [15:0] shr_o, output [15:0] sra_o, output [15:0] sla_o, output [23:0] shl_wide_o,
  output [3:0] part_o, output bit_o, output [71:0] wide_shr, output [71:0] wide_rot,
  output [15:0] mux_o, output reg [15:0] case_o, output [7:0] table_o, output [31:0] cat_o
);
  assign and_o = a & b;
  assign or_o = a | b;
  assign xor_o = a ^ b;
  assign xnor_o = a ~^ b;
  assign not_o = ~a;
  assign reduce_o = {&a, |a, ^a, ~&b, ~|b, ~^b, &a[3:0], |b[15:12]};
  assign logical_o = {a && b, a || b, !a};
  assign shl_o = a << s;
  assign shr_o = a >> s;
  assign sra_o = sa >>> s;
  assign sla_o = sa <<< 3;
  assign shl_wide_o = a << s;
  assign part_o = a[s +: 4];
  assign bit_o = b[s];
  assign wide_shr = wide >> ws;
  assign wide_rot = {wide[7:0], wide[71:8]};
  assign mux_o = s[0] ? a : b;
  always @* begin
    case (op)
      2'd0: case_o = a + b;
      2'd1: case_o = a - b;
      2'd2: case_o = a & b;
      default: case_o = {b[7:0], a[15:8]};
    endcase
  end
  wire [7:0] table_rows [0:3];
  assign table_rows[0] = a[7:0];
  assign table_rows[1] = a[15:8];
  assign table_rows[2] = b[7:0];
  assign table_rows[3] = 8'hA5;
  assign table_o = table_rows[op];
  assign cat_o = {2{b[3:0], ~a[11:0]}} ^ {4{s, 4'b1001}};
endmodule
