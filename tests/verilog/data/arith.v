// Arithmetic and comparisons at mixed widths and signedness: adders, add/subtract, negation,
// multipliers, dividers and remainders, and the six comparisons with equality.
module arith (
  input [7:0] a, input [7:0] b, input [11:0] c, input signed [7:0] sa, input signed [9:0] sb,
  input [39:0] wa, input [39:0] wb,
  output [8:0] sum, output [7:0] diff, output [11:0] mixed_sum, output signed [11:0] ssum,
  output signed [11:0] sdiff, output [7:0] neg, output signed [11:0] sneg,
  output [15:0] prod, output [7:0] prod_low, output signed [17:0] sprod, output signed [23:0] sprod_wide,
  output [7:0] quo, output [7:0] rem, output signed [9:0] squo, output signed [9:0] srem, output [3:0] quo_narrow,
  output [40:0] wsum, output [39:0] wdiff, output [63:0] wprod,
  output [11:0] cmp, output [3:0] wcmp
);
  assign sum = a + b;
  assign diff = a - b;
  assign mixed_sum = a + c + 12'd7;
  assign ssum = sa + sb;
  assign sdiff = sa - sb - 1;
  assign neg = -a;
  assign sneg = -sb;
  assign prod = a * b;
  assign prod_low = a * c;
  assign sprod = sa * sb;
  assign sprod_wide = sa * sb;
  assign quo = a / b;
  assign rem = c % a;
  assign squo = sb / sa;
  assign srem = sb % sa;
  assign quo_narrow = c / b;
  assign wsum = wa + wb;
  assign wdiff = wa - wb;
  assign wprod = wa[31:0] * wb[31:0];
  assign cmp = {a < b, a <= b, a > b, a >= b, a == b, a != b, sa < sb, sa <= sb, sa > sb, sa >= sb,
                c == a, sb != sa};
  assign wcmp = {wa < wb, wa == wb, wa[39:36] == wb[3:0], wa >= wb};
endmodule
