// Registers of every form yosys finds: plain, with enable, asynchronous reset (active high
// and low, mixed reset values), synchronous reset with and without enable, asynchronous
// load, per-bit set and reset, registers of 72, 100 and 130 bits, and latches.
// Asynchronous controls act as levels in the synthesised register, and only at their rising
// edge in the RTL's reading: the loaded value is held still while the load is active, and
// the set is masked by the clear, so that both readings agree.
module regs (
  input clk, input rst, input rst_n, input en, input srst, input load, input set, input clr,
  input [7:0] d, input [7:0] ad, input [99:0] wd, input le,
  output reg [7:0] plain, output reg [7:0] with_en, output reg [7:0] arst_hi, output reg [7:0] arst_lo,
  output reg [7:0] sync_rst, output reg [7:0] sync_rst_en, output reg [7:0] sync_en_rst,
  output reg [7:0] async_load, output reg set_clr, output reg [3:0] count,
  output reg [71:0] wide72, output reg [99:0] wide100, output reg [129:0] counter130,
  output reg [7:0] latch_q, output reg latch_r
);
  always @(posedge clk) plain <= d;
  always @(posedge clk) if (en) with_en <= d;
  always @(posedge clk or posedge rst) if (rst) arst_hi <= 8'hC3; else arst_hi <= d ^ arst_hi;
  always @(posedge clk or negedge rst_n) if (!rst_n) arst_lo <= 8'h00; else if (en) arst_lo <= d;
  always @(posedge clk) if (srst) sync_rst <= 8'h5A; else sync_rst <= d;
  always @(posedge clk) if (srst) sync_rst_en <= 8'h01; else if (en) sync_rst_en <= sync_rst_en + d;
  always @(posedge clk) if (en) begin if (srst) sync_en_rst <= 8'hFF; else sync_en_rst <= d; end
  reg [7:0] load_data;
  always @(posedge clk) if (!load) load_data <= ad;
  always @(posedge clk or posedge load) if (load) async_load <= load_data; else async_load <= d;
  wire set_only = set & ~clr;
  always @(posedge clk or posedge set_only or posedge clr)
    if (clr) set_clr <= 1'b0; else if (set_only) set_clr <= 1'b1; else set_clr <= d[0];
  always @(posedge clk or posedge rst) if (rst) count <= 4'd9; else if (en) count <= count - 1'b1;
  always @(posedge clk) if (en) wide72 <= {wd[71:0]} ^ {9{d}};
  always @(posedge clk) wide100 <= wd;
  always @(posedge clk or posedge rst) if (rst) counter130 <= {2'b10, 128'h0123456789abcdef0123456789abcdef};
                                       else counter130 <= counter130 + {wd, 30'h3fffffff};
  always @* if (le) latch_q = d;
  always @* if (rst) latch_r = 1'b0; else if (le) latch_r = d[1];
endmodule
