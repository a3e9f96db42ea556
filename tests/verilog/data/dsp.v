// A filter pipeline: a four-tap FIR filter with signed coefficients, products and sums in
// registered stages, rounding and saturation to 16 bits, and a 48-bit energy accumulator
// with a clear, all behind a clock enable.
module dsp (
  input clk, input rst, input en, input clear, input signed [11:0] x,
  output reg signed [15:0] y, output reg [47:0] energy, output reg saturated, output reg [2:0] valid
);
  localparam signed [7:0] C0 = 8'sd23, C1 = -8'sd57, C2 = 8'sd101, C3 = -8'sd9;
  reg signed [11:0] x0, x1, x2, x3;
  reg signed [19:0] p0, p1, p2, p3;
  reg signed [21:0] sum;
  wire signed [21:0] rounded = (sum + 22'sd8) >>> 4;
  always @(posedge clk or posedge rst) begin
    if (rst) begin
      x0 <= 0; x1 <= 0; x2 <= 0; x3 <= 0; p0 <= 0; p1 <= 0; p2 <= 0; p3 <= 0; sum <= 0;
      y <= 0; saturated <= 0; valid <= 0;
    end else if (en) begin
      x0 <= x; x1 <= x0; x2 <= x1; x3 <= x2;
      p0 <= x0 * C0; p1 <= x1 * C1; p2 <= x2 * C2; p3 <= x3 * C3;
      sum <= p0 + p1 + p2 + p3;
      if (rounded > 22'sd32767) begin y <= 16'sh7FFF; saturated <= 1; end
      else if (rounded < -22'sd32768) begin y <= -16'sh8000; saturated <= 1; end
      else begin y <= rounded[15:0]; saturated <= 0; end
      valid <= {valid[1:0], 1'b1};
    end
  end
  always @(posedge clk) begin
    if (clear) energy <= 48'd0;
    else if (en) energy <= energy + y * y;
  end
endmodule
