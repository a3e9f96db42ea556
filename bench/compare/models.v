// Behavioural Verilog models of the simulator's primitives, written from their documented
// behaviour, for running the comparison designs on other Verilog simulators. They cover the
// ports and parameter forms that gen_design.py uses (asynchronous register controls unused).

// Adder (operator 4): dataout = (dataa + datab + cin) mod 2^width, cout the carry out.
module bt_add #(parameter width = 1) (input [width-1:0] dataa, input [width-1:0] datab, input cin,
                                      output [width-1:0] dataout, output cout);
    wire [width:0] sum = dataa + datab + cin;
    assign dataout = sum[width-1:0];
    assign cout = sum[width];
endmodule

// Left shift (operator 15), unsigned form (fill = 0): the data zero-extended to the larger of
// the two widths, shifted left (ones shifted in while fillin is set), cut to width_out.
module bt_shl #(parameter width_in = 6, width_amount = 6, width_out = 6, fill = 0)
               (input [width_in-1:0] datain, input [width_amount-1:0] amount, input fillin,
                output [width_out-1:0] dataout);
    localparam M = width_in > width_out ? width_in : width_out;
    wire [M-1:0] x = datain;
    wire [M-1:0] ones = {M{1'b1}};
    wire [M-1:0] shifted = fillin ? (amount >= M ? ones : ((x << amount) | ~(ones << amount))) : (x << amount);
    assign dataout = shifted[width_out-1:0];
endmodule

// Right shift (operator 16), arithmetic form (fill = 1): the data sign-extended to the larger
// of the two widths and shifted right with sign fill, cut to width_out.
module bt_shr #(parameter width_in = 6, width_amount = 6, width_out = 6, fill = 1)
               (input [width_in-1:0] datain, input [width_amount-1:0] amount, input fillin,
                output [width_out-1:0] dataout);
    localparam M = width_in > width_out ? width_in : width_out;
    wire signed [width_in-1:0] data_signed = datain;
    wire signed [M-1:0] x = data_signed;
    wire signed [M-1:0] shifted = x >>> amount;
    assign dataout = shifted[width_out-1:0];
endmodule

// Unsigned comparator (operator 10): dataa < datab, or dataa <= datab while equ_ok is set.
module bt_cmple #(parameter width = 6) (input [width-1:0] dataa, input [width-1:0] datab, input equ_ok,
                                        output out);
    assign out = equ_ok ? (dataa <= datab) : (dataa < datab);
endmodule

// Whole-word two-input multiplexers (operator 2 narrow, operator 22 any width): datab when
// sel is set, else dataa.
module bt_mux #(parameter width = 1) (input [width-1:0] dataa, input [width-1:0] datab, input sel,
                                      output [width-1:0] dataout);
    assign dataout = sel ? datab : dataa;
endmodule

module bt_busmux #(parameter width = 6) (input [width-1:0] dataa, input [width-1:0] datab, input sel,
                                         output [width-1:0] dataout);
    assign dataout = sel ? datab : dataa;
endmodule

// Parity (operator 6): 1 when datain holds an odd number of ones.
module bt_xor #(parameter width_datain = 2) (input [width_datain-1:0] datain, output dataout);
    assign dataout = ^datain;
endmodule

// Register with per-bit enable (operator 1): at the clock edge each enabled bit takes the data
// bit, the others hold. Starts at 0.
module bt_dffe #(parameter array_width = 1) (input clk, input [array_width-1:0] datain,
                                             input [array_width-1:0] ena,
                                             output reg [array_width-1:0] dataout);
    initial dataout = 0;
    always @(posedge clk) dataout <= (ena & datain) | (~ena & dataout);
endmodule

// One-bit register with enable (operator 1 without a width).
module bt_dffe1 (input clk, input datain, input ena, output reg dataout);
    initial dataout = 0;
    always @(posedge clk) if (ena) dataout <= datain;
endmodule
