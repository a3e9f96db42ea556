// Technology map from yosys's word-level cells onto Blocktide primitives (techmap -map).
// Each cell becomes one primitive where one fits, with the operands extended or cut so that
// the primitive's own width rules give Verilog's result. A cell that no primitive holds
// (dividers above 32 bits, falling clock edges, shifts by more than 2^32) is left alone with
// _TECHMAP_FAIL_: the generic map then turns it into gates, or the importer names it.
// Inversions stay $not/$_NOT_ cells: the importer folds them into inverted connections.

// ---------------------------------------------------------------- arithmetic

(* techmap_celltype = "$add $sub" *)
module _bt_add_sub (A, B, Y);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter A_SIGNED = 0, B_SIGNED = 0, A_WIDTH = 1, B_WIDTH = 1, Y_WIDTH = 1;
  input [A_WIDTH-1:0] A;
  input [B_WIDTH-1:0] B;
  output [Y_WIDTH-1:0] Y;
  localparam ADD = _TECHMAP_CELLTYPE_ == "$add";
  generate
    if (A_SIGNED && B_SIGNED)
      // The signed add/subtract node sign-extends its first operand to the output and adds
      // or subtracts the second exactly: Verilog's result at any widths.
      bt_addsub #(.width_a(A_WIDTH), .width_b(B_WIDTH), .width_o(Y_WIDTH), .\signed (1))
        _TECHMAP_REPLACE_ (.dataa(A), .datab(B), .add_sub(ADD ? 1'b1 : 1'b0), .result(Y));
    else if (ADD)
      // The unsigned adder zero-extends both operands into a sum one bit wider than its output.
      bt_add #(.width_a(A_WIDTH), .width_b(B_WIDTH), .width_o(Y_WIDTH))
        _TECHMAP_REPLACE_ (.dataa(A), .datab(B), .result(Y));
    else
      bt_addsub #(.width_a(A_WIDTH), .width_b(B_WIDTH), .width_o(Y_WIDTH))
        _TECHMAP_REPLACE_ (.dataa(A), .datab(B), .add_sub(1'b0), .result(Y));
  endgenerate
endmodule

(* techmap_celltype = "$neg" *)
module _bt_neg (A, Y);
  parameter A_SIGNED = 0, A_WIDTH = 1, Y_WIDTH = 1;
  input [A_WIDTH-1:0] A;
  output [Y_WIDTH-1:0] Y;
  bt_addsub #(.width_a(1), .width_b(A_WIDTH), .width_o(Y_WIDTH), .\signed (A_SIGNED ? 1 : 0))
    _TECHMAP_REPLACE_ (.dataa(1'b0), .datab(A), .add_sub(1'b0), .result(Y));
endmodule

(* techmap_celltype = "$mul" *)
module _bt_mul (A, B, Y);
  parameter A_SIGNED = 0, B_SIGNED = 0, A_WIDTH = 1, B_WIDTH = 1, Y_WIDTH = 1;
  input [A_WIDTH-1:0] A;
  input [B_WIDTH-1:0] B;
  output [Y_WIDTH-1:0] Y;
  localparam P = A_WIDTH + B_WIDTH;
  generate
    if (A_SIGNED && B_SIGNED && Y_WIDTH > P) begin
      // The signed multiplier zero-extends a product narrower than its output: take the exact
      // product and sign-extend it by wiring.
      wire [P-1:0] product;
      bt_mult #(.width_a(A_WIDTH), .width_b(B_WIDTH), .width_o(P), .\signed (1))
        _TECHMAP_REPLACE_ (.dataa(A), .datab(B), .result(product));
      assign Y = $signed(product);
    end else
      bt_mult #(.width_a(A_WIDTH), .width_b(B_WIDTH), .width_o(Y_WIDTH), .\signed (A_SIGNED && B_SIGNED ? 1 : 0))
        _TECHMAP_REPLACE_ (.dataa(A), .datab(B), .result(Y));
  endgenerate
endmodule

(* techmap_celltype = "$div $mod" *)
module _bt_div_mod (A, B, Y);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter A_SIGNED = 0, B_SIGNED = 0, A_WIDTH = 1, B_WIDTH = 1, Y_WIDTH = 1;
  input [A_WIDTH-1:0] A;
  input [B_WIDTH-1:0] B;
  output [Y_WIDTH-1:0] Y;
  localparam SIGNED = A_SIGNED && B_SIGNED ? 1 : 0;
  // The dividers resize the dividend to their output first, so it must not be cut; a signed
  // quotient gets a bit more, so that the most negative dividend divided by -1 wraps as in
  // Verilog instead of overflowing.
  localparam W = (A_WIDTH > Y_WIDTH ? A_WIDTH : Y_WIDTH) + SIGNED;
  wire [W-1:0] result;
  generate
    // The divider primitives work on operands of up to 32 bits; wider ones become gates.
    if (W > 32 || B_WIDTH + SIGNED > 32) begin
      wire _TECHMAP_FAIL_ = 1;
    end else if (_TECHMAP_CELLTYPE_ == "$div") begin
      bt_div #(.width_a(A_WIDTH), .width_b(B_WIDTH), .width_o(W), .\signed (SIGNED))
        _TECHMAP_REPLACE_ (.numer(A), .denom(B), .result(result));
    end else if (SIGNED) begin
      // The signed remainder takes the dividend's sign whatever the divisor's, and the
      // remainder primitive answers only for a divisor whose bits, read unsigned, exceed the
      // remainder: divide by the divisor's magnitude, one bit wider.
      wire [B_WIDTH:0] divisor = $signed(B);
      wire [B_WIDTH:0] magnitude = B[B_WIDTH-1] ? -divisor : divisor;
      bt_mod #(.width_a(A_WIDTH), .width_b(B_WIDTH + 1), .width_o(W), .\signed (1))
        _TECHMAP_REPLACE_ (.numer(A), .denom(magnitude), .result(result));
    end else begin
      bt_mod #(.width_a(A_WIDTH), .width_b(B_WIDTH), .width_o(W), .\signed (0))
        _TECHMAP_REPLACE_ (.numer(A), .denom(B), .result(result));
    end
  endgenerate
  assign Y = result;
endmodule

// ---------------------------------------------------------------- comparisons

(* techmap_celltype = "$lt $le $gt $ge" *)
module _bt_compare (A, B, Y);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter A_SIGNED = 0, B_SIGNED = 0, A_WIDTH = 1, B_WIDTH = 1, Y_WIDTH = 1;
  input [A_WIDTH-1:0] A;
  input [B_WIDTH-1:0] B;
  output [Y_WIDTH-1:0] Y;
  localparam SIGNED = A_SIGNED && B_SIGNED ? 1 : 0;
  localparam SWAP = _TECHMAP_CELLTYPE_ == "$gt" || _TECHMAP_CELLTYPE_ == "$ge";
  localparam EQUAL = _TECHMAP_CELLTYPE_ == "$le" || _TECHMAP_CELLTYPE_ == "$ge";
  wire out;
  generate
    if (SWAP)
      bt_compare_le #(.width_a(B_WIDTH), .width_b(A_WIDTH), .\signed (SIGNED))
        _TECHMAP_REPLACE_ (.dataa(B), .datab(A), .or_equal(EQUAL ? 1'b1 : 1'b0), .result(out));
    else
      bt_compare_le #(.width_a(A_WIDTH), .width_b(B_WIDTH), .\signed (SIGNED))
        _TECHMAP_REPLACE_ (.dataa(A), .datab(B), .or_equal(EQUAL ? 1'b1 : 1'b0), .result(out));
  endgenerate
  assign Y = out;
endmodule

(* techmap_celltype = "$eq $ne $eqx $nex" *)
module _bt_equal (A, B, Y);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter A_SIGNED = 0, B_SIGNED = 0, A_WIDTH = 1, B_WIDTH = 1, Y_WIDTH = 1;
  input [A_WIDTH-1:0] A;
  input [B_WIDTH-1:0] B;
  output [Y_WIDTH-1:0] Y;
  localparam NOT = _TECHMAP_CELLTYPE_ == "$ne" || _TECHMAP_CELLTYPE_ == "$nex";
  localparam SIGNED = A_SIGNED && B_SIGNED ? 1 : 0;
  wire differ;
  generate
    if (A_WIDTH == B_WIDTH) begin
      // Equal widths: a bitwise XOR (a multiplexer choosing B or its inversion) and an OR.
      wire [A_WIDTH-1:0] bits;
      bt_mux2 #(.width(A_WIDTH)) xor_bits (.dataa(B), .datab(~B), .sel(A), .result(bits));
      bt_or_reduce #(.width(A_WIDTH)) _TECHMAP_REPLACE_ (.data(bits), .result(differ));
    end else begin
      // Different widths: the comparators extend their operands themselves.
      wire ab, ba;
      bt_compare_le #(.width_a(A_WIDTH), .width_b(B_WIDTH), .\signed (SIGNED))
        _TECHMAP_REPLACE_ (.dataa(A), .datab(B), .or_equal(1'b1), .result(ab));
      bt_compare_le #(.width_a(B_WIDTH), .width_b(A_WIDTH), .\signed (SIGNED))
        reverse (.dataa(B), .datab(A), .or_equal(1'b1), .result(ba));
      // differ = ~(ab & ba): ab ? ~ba : 1
      bt_mux2 #(.width(1)) both (.dataa(1'b1), .datab(~ba), .sel(ab), .result(differ));
    end
  endgenerate
  assign Y = NOT ? differ : ~differ;
endmodule

// ---------------------------------------------------------------- bitwise logic

(* techmap_celltype = "$and $or $xor $xnor" *)
module _bt_bitwise (A, B, Y);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter A_SIGNED = 0, B_SIGNED = 0, A_WIDTH = 1, B_WIDTH = 1, Y_WIDTH = 1;
  input [A_WIDTH-1:0] A;
  input [B_WIDTH-1:0] B;
  output [Y_WIDTH-1:0] Y;
  wire [Y_WIDTH-1:0] a, b;
  generate
    if (A_SIGNED && B_SIGNED) begin
      assign a = $signed(A);
      assign b = $signed(B);
    end else begin
      assign a = A;
      assign b = B;
    end
  endgenerate
  // A per-bit multiplexer selected by a: and = a ? b : 0, or = a ? 1 : b, xor = a ? ~b : b.
  localparam T = _TECHMAP_CELLTYPE_;
  wire [Y_WIDTH-1:0] when0 = T == "$and" ? {Y_WIDTH{1'b0}} : T == "$xnor" ? ~b : b;
  wire [Y_WIDTH-1:0] when1 = T == "$and" ? b : T == "$or" ? {Y_WIDTH{1'b1}} : T == "$xor" ? ~b : b;
  bt_mux2 #(.width(Y_WIDTH)) _TECHMAP_REPLACE_ (.dataa(when0), .datab(when1), .sel(a), .result(Y));
endmodule

(* techmap_celltype = "$pos" *)
module _bt_pos (A, Y);
  parameter A_SIGNED = 0, A_WIDTH = 1, Y_WIDTH = 1;
  input [A_WIDTH-1:0] A;
  output [Y_WIDTH-1:0] Y;
  generate
    if (A_SIGNED)
      assign Y = $signed(A);
    else
      assign Y = A;
  endgenerate
endmodule

(* techmap_celltype = "$reduce_and $reduce_or $reduce_bool $reduce_xor $reduce_xnor $logic_not" *)
module _bt_reduce (A, Y);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter A_SIGNED = 0, A_WIDTH = 1, Y_WIDTH = 1;
  input [A_WIDTH-1:0] A;
  output [Y_WIDTH-1:0] Y;
  localparam T = _TECHMAP_CELLTYPE_;
  wire out;
  generate
    if (T == "$reduce_and")
      bt_and_reduce #(.width(A_WIDTH)) _TECHMAP_REPLACE_ (.data(A), .result(out));
    else if (T == "$reduce_xor" || T == "$reduce_xnor")
      bt_xor_reduce #(.width(A_WIDTH)) _TECHMAP_REPLACE_ (.data(A), .result(out));
    else
      bt_or_reduce #(.width(A_WIDTH)) _TECHMAP_REPLACE_ (.data(A), .result(out));
  endgenerate
  assign Y = (T == "$reduce_xnor" || T == "$logic_not") ? ~out : out;
endmodule

(* techmap_celltype = "$logic_and $logic_or" *)
module _bt_logic (A, B, Y);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter A_SIGNED = 0, B_SIGNED = 0, A_WIDTH = 1, B_WIDTH = 1, Y_WIDTH = 1;
  input [A_WIDTH-1:0] A;
  input [B_WIDTH-1:0] B;
  output [Y_WIDTH-1:0] Y;
  wire out;
  generate
    if (_TECHMAP_CELLTYPE_ == "$logic_or")
      bt_or_reduce #(.width(A_WIDTH + B_WIDTH)) _TECHMAP_REPLACE_ (.data({A, B}), .result(out));
    else begin
      wire any_a, any_b;
      bt_or_reduce #(.width(A_WIDTH)) _TECHMAP_REPLACE_ (.data(A), .result(any_a));
      bt_or_reduce #(.width(B_WIDTH)) any_of_b (.data(B), .result(any_b));
      bt_mux2 #(.width(1)) both (.dataa(1'b0), .datab(any_b), .sel(any_a), .result(out));
    end
  endgenerate
  assign Y = out;
endmodule

// ---------------------------------------------------------------- selection

(* techmap_celltype = "$mux" *)
module _bt_mux (A, B, S, Y);
  parameter WIDTH = 1;
  input [WIDTH-1:0] A, B;
  input S;
  output [WIDTH-1:0] Y;
  bt_busmux2 #(.width(WIDTH)) _TECHMAP_REPLACE_ (.dataa(A), .datab(B), .sel(S), .result(Y));
endmodule

(* techmap_celltype = "$bmux" *)
module _bt_bmux (A, S, Y);
  parameter WIDTH = 1, S_WIDTH = 1;
  input [(WIDTH << S_WIDTH)-1:0] A;
  input [S_WIDTH-1:0] S;
  output [WIDTH-1:0] Y;
  lpm_mux #(.lpm_width(WIDTH), .lpm_size(1 << S_WIDTH), .lpm_widths(S_WIDTH))
    _TECHMAP_REPLACE_ (.data(A), .sel(S), .result(Y));
endmodule

// ---------------------------------------------------------------- shifts

(* techmap_celltype = "$shl $sshl $shr $sshr $shift $shiftx" *)
module _bt_shift (A, B, Y);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter A_SIGNED = 0, B_SIGNED = 0, A_WIDTH = 1, B_WIDTH = 1, Y_WIDTH = 1;
  input [A_WIDTH-1:0] A;
  input [B_WIDTH-1:0] B;
  output [Y_WIDTH-1:0] Y;
  localparam T = _TECHMAP_CELLTYPE_;
  localparam LEFT = T == "$shl" || T == "$sshl";
  localparam ARITHMETIC = T == "$sshr" && A_SIGNED;
  // The logical right shifter zero-extends its input to the output first; Verilog extends a
  // signed operand by its sign.
  localparam AW = (!LEFT && !ARITHMETIC && A_SIGNED && Y_WIDTH > A_WIDTH) ? Y_WIDTH : A_WIDTH;
  wire [AW-1:0] a;
  generate
    if (A_SIGNED)
      assign a = $signed(A);
    else
      assign a = A;
    // The shifters read 32 bits of the amount: wider amounts become gates.
    if (B_WIDTH > 32) begin
      wire _TECHMAP_FAIL_ = 1;
    end else if (LEFT) begin
      bt_shl #(.width_in(AW), .width_amount(B_WIDTH), .width_out(Y_WIDTH), .fill(A_SIGNED ? 1 : 0))
        _TECHMAP_REPLACE_ (.data(a), .distance(B), .result(Y));
    end else if (!B_SIGNED) begin
      bt_shr #(.width_in(AW), .width_amount(B_WIDTH), .width_out(Y_WIDTH), .fill(ARITHMETIC ? 1 : 0))
        _TECHMAP_REPLACE_ (.data(a), .distance(B), .result(Y));
    end else begin
      // A signed amount ($shift, $shiftx): right by B when B >= 0, left by -B otherwise.
      wire [B_WIDTH-1:0] minus_b;
      wire [Y_WIDTH-1:0] right, left;
      bt_shr #(.width_in(AW), .width_amount(B_WIDTH), .width_out(Y_WIDTH), .fill(0))
        _TECHMAP_REPLACE_ (.data(a), .distance(B), .result(right));
      bt_addsub #(.width_a(1), .width_b(B_WIDTH), .width_o(B_WIDTH))
        negate (.dataa(1'b0), .datab(B), .add_sub(1'b0), .result(minus_b));
      bt_shl #(.width_in(AW), .width_amount(B_WIDTH), .width_out(Y_WIDTH), .fill(0))
        shift_left (.data(a), .distance(minus_b), .result(left));
      bt_busmux2 #(.width(Y_WIDTH)) pick (.dataa(right), .datab(left), .sel(B[B_WIDTH-1]), .result(Y));
    end
  endgenerate
endmodule

// ---------------------------------------------------------------- registers

// A register clocked on the rising edge; the asynchronous controls of the others are built on it.
(* techmap_celltype = "$dff $dffe $adff $adffe $aldff $aldffe" *)
module _bt_dff (CLK, EN, ARST, ALOAD, AD, D, Q);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter WIDTH = 1, CLK_POLARITY = 1, EN_POLARITY = 1, ARST_POLARITY = 1, ALOAD_POLARITY = 1;
  parameter ARST_VALUE = 0;
  input CLK, EN, ARST, ALOAD;
  input [WIDTH-1:0] AD, D;
  output [WIDTH-1:0] Q;
  localparam T = _TECHMAP_CELLTYPE_;
  localparam HAS_EN = T == "$dffe" || T == "$adffe" || T == "$aldffe";
  localparam HAS_ARST = T == "$adff" || T == "$adffe";
  localparam HAS_ALOAD = T == "$aldff" || T == "$aldffe";
  wire en = EN_POLARITY ? EN : ~EN;
  // The per-bit enable of the register from the one enable: an arithmetic right shift by 0
  // sign-extends it, one node for all registers of a width on that enable (opt_merge) instead
  // of a connection of one slice per bit, which would be assembled bit by bit at each change.
  wire [WIDTH-1:0] enables;
  generate
    if (WIDTH == 1)
      assign enables = en;
    else
      bt_shr #(.width_in(1), .width_amount(1), .width_out(WIDTH), .fill(1))
        replicate_enable (.data(en), .distance(1'b0), .result(enables));
  endgenerate
  // "aload" loads the whole "adata" while any of its bits is 1: one bit of it is enough. An
  // inverted control keeps its upper bits at 0, or the inversion would set them.
  wire load = HAS_ARST ? (ARST_POLARITY ? ARST : ~ARST) : (ALOAD_POLARITY ? ALOAD : ~ALOAD);
  wire [WIDTH-1:0] load_word = load;
  wire [WIDTH-1:0] load_data = HAS_ARST ? ARST_VALUE : AD;
  generate
    if (!CLK_POLARITY) begin
      wire _TECHMAP_FAIL_ = 1;
    end else if (HAS_EN && (HAS_ARST || HAS_ALOAD))
      bt_dffe #(.width(WIDTH)) _TECHMAP_REPLACE_ (.clk(CLK), .d(D), .ena(enables), .aload(load_word),
                                                  .adata(load_data), .q(Q));
    else if (HAS_ARST || HAS_ALOAD)
      bt_dffe #(.width(WIDTH)) _TECHMAP_REPLACE_ (.clk(CLK), .d(D), .aload(load_word), .adata(load_data), .q(Q));
    else if (HAS_EN)
      bt_dffe #(.width(WIDTH)) _TECHMAP_REPLACE_ (.clk(CLK), .d(D), .ena(enables), .q(Q));
    else
      bt_dffe #(.width(WIDTH)) _TECHMAP_REPLACE_ (.clk(CLK), .d(D), .q(Q));
  endgenerate
endmodule

// Synchronous resets become a multiplexer before the register: the register's "sclr" and
// "sload" have no effect.
(* techmap_celltype = "$sdff $sdffe $sdffce" *)
module _bt_sdff (CLK, SRST, EN, D, Q);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter WIDTH = 1, CLK_POLARITY = 1, SRST_POLARITY = 1, EN_POLARITY = 1;
  parameter SRST_VALUE = 0;
  input CLK, SRST, EN;
  input [WIDTH-1:0] D;
  output [WIDTH-1:0] Q;
  wire reset = SRST_POLARITY ? SRST : ~SRST;
  wire en = EN_POLARITY ? EN : ~EN;
  wire [WIDTH-1:0] reset_value = SRST_VALUE;
  wire [WIDTH-1:0] data;
  \$mux #(.WIDTH(WIDTH)) reset_mux (.A(D), .B(reset_value), .S(reset), .Y(data));
  generate
    if (_TECHMAP_CELLTYPE_ == "$sdff")
      \$dff #(.WIDTH(WIDTH), .CLK_POLARITY(CLK_POLARITY)) _TECHMAP_REPLACE_ (.CLK(CLK), .D(data), .Q(Q));
    else if (_TECHMAP_CELLTYPE_ == "$sdffe")  // the reset wins over the enable
      \$dffe #(.WIDTH(WIDTH), .CLK_POLARITY(CLK_POLARITY)) _TECHMAP_REPLACE_ (.CLK(CLK), .EN(en | reset), .D(data), .Q(Q));
    else  // $sdffce: the reset acts only while enabled
      \$dffe #(.WIDTH(WIDTH), .CLK_POLARITY(CLK_POLARITY)) _TECHMAP_REPLACE_ (.CLK(CLK), .EN(en), .D(data), .Q(Q));
  endgenerate
endmodule

// Per-bit set and reset: one register per bit, the reset winning (the register's preset
// would win over its clear for the whole word).
(* techmap_celltype = "$dffsr $dffsre" *)
module _bt_dffsr (CLK, SET, CLR, EN, D, Q);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter WIDTH = 1, CLK_POLARITY = 1, SET_POLARITY = 1, CLR_POLARITY = 1, EN_POLARITY = 1;
  input CLK, EN;
  input [WIDTH-1:0] SET, CLR, D;
  output [WIDTH-1:0] Q;
  wire [WIDTH-1:0] set = SET_POLARITY ? SET : ~SET;
  wire [WIDTH-1:0] clr = CLR_POLARITY ? CLR : ~CLR;
  wire en = EN_POLARITY ? EN : ~EN;
  genvar i;
  generate
    if (!CLK_POLARITY) begin
      wire _TECHMAP_FAIL_ = 1;
    end else
      for (i = 0; i < WIDTH; i = i + 1) begin : bit
        if (_TECHMAP_CELLTYPE_ == "$dffsre")
          bt_dffe #(.width(1)) r (.clk(CLK), .d(D[i]), .ena(en), .clear(clr[i]), .preset(set[i] & ~clr[i]), .q(Q[i]));
        else
          bt_dffe #(.width(1)) r (.clk(CLK), .d(D[i]), .clear(clr[i]), .preset(set[i] & ~clr[i]), .q(Q[i]));
      end
  endgenerate
endmodule

// ---------------------------------------------------------------- latches, one per bit

(* techmap_celltype = "$dlatch $adlatch $dlatchsr $sr" *)
module _bt_latch (EN, ARST, SET, CLR, D, Q);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter WIDTH = 1, EN_POLARITY = 1, ARST_POLARITY = 1, SET_POLARITY = 1, CLR_POLARITY = 1;
  parameter ARST_VALUE = 0;
  input EN, ARST;
  input [WIDTH-1:0] SET, CLR, D;
  output [WIDTH-1:0] Q;
  localparam T = _TECHMAP_CELLTYPE_;
  localparam [WIDTH-1:0] RESET_VALUE = ARST_VALUE;
  wire en = EN_POLARITY ? EN : ~EN;
  wire arst = ARST_POLARITY ? ARST : ~ARST;
  wire [WIDTH-1:0] set = SET_POLARITY ? SET : ~SET;
  wire [WIDTH-1:0] clr = CLR_POLARITY ? CLR : ~CLR;
  genvar i;
  generate
    for (i = 0; i < WIDTH; i = i + 1) begin : bit
      if (T == "$dlatch")
        bt_latch l (.d(D[i]), .ena(en), .q(Q[i]));
      else if (T == "$adlatch" && RESET_VALUE[i])
        bt_latch l (.d(D[i]), .ena(en), .apre(arst), .q(Q[i]));
      else if (T == "$adlatch")
        bt_latch l (.d(D[i]), .ena(en), .aclr(arst), .q(Q[i]));
      else if (T == "$dlatchsr")  // the latch's clear wins over its preset
        bt_latch l (.d(D[i]), .ena(en), .aclr(clr[i]), .apre(set[i]), .q(Q[i]));
      else
        bt_latch l (.d(1'b0), .ena(1'b0), .aclr(clr[i]), .apre(set[i]), .q(Q[i]));
    end
  endgenerate
endmodule

// ---------------------------------------------------------------- gates left by the generic map

(* techmap_celltype = "$_AND_ $_NAND_ $_OR_ $_NOR_ $_XOR_ $_XNOR_ $_ANDNOT_ $_ORNOT_" *)
module _bt_gate (A, B, Y);
  parameter _TECHMAP_CELLTYPE_ = "";
  input A, B;
  output Y;
  localparam T = _TECHMAP_CELLTYPE_;
  // Y = A ? when1 : when0
  wire when0 = (T == "$_AND_" || T == "$_ANDNOT_") ? 1'b0 : (T == "$_NAND_" || T == "$_ORNOT_") ? 1'b1 :
               (T == "$_NOR_" || T == "$_XNOR_") ? ~B : B;
  wire when1 = (T == "$_OR_" || T == "$_NAND_" || T == "$_ORNOT_") ? (T == "$_OR_" ? 1'b1 : ~B) :
               (T == "$_NOR_") ? 1'b0 : (T == "$_AND_" || T == "$_XNOR_") ? B : ~B;
  bt_mux2 #(.width(1)) _TECHMAP_REPLACE_ (.dataa(when0), .datab(when1), .sel(A), .result(Y));
endmodule

(* techmap_celltype = "$_MUX_ $_NMUX_" *)
module _bt_gate_mux (A, B, S, Y);
  parameter _TECHMAP_CELLTYPE_ = "";
  input A, B, S;
  output Y;
  generate
    if (_TECHMAP_CELLTYPE_ == "$_MUX_")
      bt_mux2 #(.width(1)) _TECHMAP_REPLACE_ (.dataa(A), .datab(B), .sel(S), .result(Y));
    else
      bt_mux2 #(.width(1)) _TECHMAP_REPLACE_ (.dataa(~A), .datab(~B), .sel(S), .result(Y));
  endgenerate
endmodule

(* techmap_celltype = "$_BUF_" *)
module _bt_gate_buf (A, Y);
  input A;
  output Y;
  assign Y = A;
endmodule
