// Memories of every form: single-port RAMs reading old and new data, a simple dual-port RAM
// with a read enable, a true dual-port RAM, per-byte write enables, a ROM and a RAM with
// initial contents, a 72-bit-wide RAM, and a register file read asynchronously (which
// becomes registers and multiplexers).
module mem (
  input clk, input we, input we2, input re, input [1:0] be,
  input [4:0] a, input [4:0] b, input [15:0] d, input [15:0] d2, input [71:0] wd,
  output reg [15:0] q_old, output [15:0] q_new, output reg [15:0] q_sdp, output reg [15:0] qa_tdp,
  output reg [15:0] qb_tdp, output reg [15:0] q_bytes, output reg [7:0] q_rom, output reg [11:0] q_init,
  output reg [71:0] q_wide, output [15:0] q_rf
);
  // Single port, old data on a read during a write.
  reg [15:0] m_old [0:31];
  always @(posedge clk) begin
    if (we) m_old[a] <= d;
    q_old <= m_old[a];
  end
  // Single port, new data: the read address is registered.
  reg [15:0] m_new [0:31];
  reg [4:0] a_new;
  always @(posedge clk) begin
    if (we) m_new[a] <= d;
    a_new <= a;
  end
  assign q_new = m_new[a_new];
  // Simple dual port: write at a, read at b while re.
  reg [15:0] m_sdp [0:31];
  always @(posedge clk) begin
    if (we) m_sdp[a] <= d;
    if (re) q_sdp <= m_sdp[b];
  end
  // True dual port: both ports read and write.
  reg [15:0] m_tdp [0:31];
  always @(posedge clk) begin
    if (we) m_tdp[a] <= d;
    qa_tdp <= m_tdp[a];
  end
  always @(posedge clk) begin
    if (we2 && b != a) m_tdp[b] <= d2;
    qb_tdp <= m_tdp[b];
  end
  // Byte enables.
  reg [15:0] m_bytes [0:31];
  always @(posedge clk) begin
    if (we && be[0]) m_bytes[a][7:0] <= d[7:0];
    if (we && be[1]) m_bytes[a][15:8] <= d[15:8];
    q_bytes <= m_bytes[b];
  end
  // A ROM, and a RAM with initial contents.
  reg [7:0] rom [0:63];
  reg [11:0] m_init [0:31];
  integer i;
  initial begin
    for (i = 0; i < 64; i = i + 1) rom[i] = (i * 37) ^ 8'h5C;
    for (i = 0; i < 32; i = i + 1) m_init[i] = 12'h800 + i * 3;
  end
  always @(posedge clk) q_rom <= rom[{a[4:0], b[0]}];
  always @(posedge clk) begin
    if (we2) m_init[b] <= d2[11:0];
    q_init <= m_init[a];
  end
  // Words wider than 64 bits.
  reg [71:0] m_wide [0:15];
  always @(posedge clk) begin
    if (we) m_wide[a[3:0]] <= wd;
    q_wide <= m_wide[b[3:0]];
  end
  // A register file read asynchronously.
  reg [15:0] rf [0:7];
  always @(posedge clk) if (we2) rf[b[2:0]] <= d2;
  assign q_rf = rf[a[2:0]];
endmodule
