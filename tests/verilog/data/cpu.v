// A small accumulator processor: a 16-bit instruction ROM and an 8-bit data RAM, both with
// initial contents and read synchronously, a three-state fetch/execute sequence, an ALU with
// a multiplier and shifts, conditional jumps and an input and output port. The program sums
// 1..n for each n read from the input port and writes results to the output port.
module cpu (
  input clk, input rst, input [7:0] in_port,
  output reg [7:0] out_port, output reg [7:0] acc, output reg [7:0] pc, output reg zero,
  output reg [1:0] state
);
  localparam NOP = 4'd0, LDI = 4'd1, LD = 4'd2, ST = 4'd3, ADD = 4'd4, ADDI = 4'd5, SUB = 4'd6,
             ANDI = 4'd7, XORI = 4'd8, SHL = 4'd9, SHR = 4'd10, JMP = 4'd11, JZ = 4'd12, IN = 4'd13,
             OUT = 4'd14, MULI = 4'd15;
  reg [15:0] rom [0:255];
  reg [7:0] ram [0:255];
  integer i;
  initial begin
    for (i = 0; i < 256; i = i + 1) begin
      rom[i] = {NOP, 12'h000};
      ram[i] = i[7:0] ^ 8'h3C;
    end
    rom[0] = {IN, 12'h000};    rom[1] = {ANDI, 12'h01F};  rom[2] = {ST, 12'h010};
    rom[3] = {LDI, 12'h000};   rom[4] = {ST, 12'h011};    rom[5] = {LD, 12'h010};
    rom[6] = {JZ, 12'h00E};    rom[7] = {ADD, 12'h011};   rom[8] = {ST, 12'h011};
    rom[9] = {LD, 12'h010};    rom[10] = {ADDI, 12'h0FF}; rom[11] = {ST, 12'h010};
    rom[12] = {JMP, 12'h005};  rom[13] = {NOP, 12'h000};  rom[14] = {LD, 12'h011};
    rom[15] = {XORI, 12'h05A}; rom[16] = {OUT, 12'h000};  rom[17] = {MULI, 12'h003};
    rom[18] = {SHL, 12'h000};  rom[19] = {SUB, 12'h020};  rom[20] = {SHR, 12'h000};
    rom[21] = {OUT, 12'h000};  rom[22] = {JMP, 12'h000};
  end
  reg [15:0] ir;
  reg [7:0] ram_q;
  wire [3:0] op = ir[15:12];
  wire [7:0] operand = ir[7:0];
  wire ram_write = state == 2'd1 && op == ST;
  always @(posedge clk) ir <= rom[pc];
  always @(posedge clk) begin
    if (ram_write) ram[operand] <= acc;
    ram_q <= ram[operand];
  end
  wire needs_memory = op == LD || op == ADD || op == SUB;
  always @(posedge clk or posedge rst) begin
    if (rst) begin
      pc <= 8'd0; acc <= 8'd0; zero <= 1'b0; out_port <= 8'd0; state <= 2'd0;
    end else begin
      case (state)
        2'd0: state <= 2'd1;  // the instruction is read
        2'd1: begin
          if (needs_memory) state <= 2'd2;  // the operand is read
          else begin
            state <= 2'd0;
            pc <= pc + 8'd1;
            case (op)
              LDI: acc <= operand;
              ADDI: acc <= acc + operand;
              ANDI: acc <= acc & operand;
              XORI: acc <= acc ^ operand;
              SHL: acc <= acc << 1;
              SHR: acc <= acc >> 1;
              MULI: acc <= acc * operand;
              IN: acc <= in_port;
              OUT: out_port <= acc;
              JMP: pc <= operand;
              JZ: if (zero) pc <= operand;
              default: ;
            endcase
            if (op == LDI || op == ADDI || op == ANDI || op == XORI || op == IN) zero <= 1'b0;
          end
        end
        default: begin
          state <= 2'd0;
          pc <= pc + 8'd1;
          case (op)
            LD: acc <= ram_q;
            ADD: acc <= acc + ram_q;
            default: acc <= acc - ram_q;
          endcase
          zero <= (op == LD ? ram_q : op == ADD ? acc + ram_q : acc - ram_q) == 8'd0;
        end
      endcase
    end
  end
endmodule
