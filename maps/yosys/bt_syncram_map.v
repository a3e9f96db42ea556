// Technology map from the memories memory_libmap placed (bt_syncram.txt) onto the RAM block
// bt_syncram. Port A runs on clock0 and clocken0, port B on clock1 and clocken1; both clocks
// are the design's clock. The block with byte enables ($__BT_SYNCRAM_BE_) gives every bit its
// own ("byteena" with bytes of one bit); the importer drops them when they all follow one
// signal. The contents
// travel as INIT, which the importer writes to a memory initialisation file.
(* techmap_celltype = "$__BT_SYNCRAM_ $__BT_SYNCRAM_BE_" *)
module _bt_syncram (CLK_C, PORT_A_CLK, PORT_A_CLK_EN, PORT_A_ADDR, PORT_A_WR_DATA, PORT_A_WR_EN,
                        PORT_A_RD_EN, PORT_A_RD_DATA, PORT_B_CLK, PORT_B_CLK_EN, PORT_B_ADDR,
                        PORT_B_WR_DATA, PORT_B_WR_EN, PORT_B_RD_EN, PORT_B_RD_DATA);
  parameter _TECHMAP_CELLTYPE_ = "";
  parameter WIDTH = 1;
  parameter INIT = 0;
  parameter BITS_USED = 0;
  parameter OPTION_MIXED = "OLD";
  parameter PORT_A_OPTION_RDWR = "OLD";
  parameter PORT_B_OPTION_RDWR = "OLD";
  parameter PORT_A_RD_USED = 0, PORT_A_WR_USED = 0, PORT_B_RD_USED = 0, PORT_B_WR_USED = 0;
  parameter PORT_A_WR_EN_WIDTH = 1, PORT_B_WR_EN_WIDTH = 1;
  localparam ABITS = 16;
  localparam SHIFT = $clog2(WIDTH);
  localparam AW = ABITS - SHIFT;
  localparam B_USED = PORT_B_RD_USED || PORT_B_WR_USED;
  localparam BYTES = _TECHMAP_CELLTYPE_ == "$__BT_SYNCRAM_BE_";
  localparam ENABLES = BYTES ? WIDTH : 1;
  input CLK_C, PORT_A_CLK, PORT_A_CLK_EN, PORT_A_RD_EN, PORT_B_CLK, PORT_B_CLK_EN, PORT_B_RD_EN;
  input [ABITS-1:0] PORT_A_ADDR, PORT_B_ADDR;
  input [WIDTH-1:0] PORT_A_WR_DATA, PORT_B_WR_DATA;
  input [ENABLES-1:0] PORT_A_WR_EN, PORT_B_WR_EN;
  output [WIDTH-1:0] PORT_A_RD_DATA, PORT_B_RD_DATA;
  bt_syncram #(
    .operation_mode(B_USED ? "BIDIR_DUAL_PORT" : "SINGLE_PORT"),
    .width_a(WIDTH), .widthad_a(AW), .numwords_a(1 << AW),
    .width_b(WIDTH), .widthad_b(AW), .numwords_b(1 << AW),
    .byte_size(1), .width_byteena_a(ENABLES), .width_byteena_b(ENABLES),
    .read_during_write_mode_port_a(PORT_A_OPTION_RDWR == "OLD" ? "OLD_DATA" : "NEW_DATA_NO_NBE_READ"),
    .read_during_write_mode_port_b(PORT_B_OPTION_RDWR == "OLD" ? "OLD_DATA" : "NEW_DATA_NO_NBE_READ"),
    .read_during_write_mode_mixed_ports(OPTION_MIXED == "NEW" ? "NEW_DATA" : "DONT_CARE"),
    .INIT(INIT)
  ) _TECHMAP_REPLACE_ (
    .clock0(PORT_A_CLK), .clocken0(PORT_A_CLK_EN), .address_a(PORT_A_ADDR[ABITS-1:SHIFT]),
    .data_a(PORT_A_WR_DATA), .wren_a(PORT_A_WR_USED ? |PORT_A_WR_EN : 1'b0), .byteena_a(BYTES ? PORT_A_WR_EN : 1'b1),
    .rden_a(PORT_A_RD_EN), .q_a(PORT_A_RD_DATA),
    .clock1(PORT_B_CLK), .clocken1(PORT_B_CLK_EN), .address_b(PORT_B_ADDR[ABITS-1:SHIFT]),
    .data_b(PORT_B_WR_DATA), .wren_b(PORT_B_WR_USED ? |PORT_B_WR_EN : 1'b0), .byteena_b(BYTES ? PORT_B_WR_EN : 1'b1),
    .rden_b(PORT_B_RD_EN), .q_b(PORT_B_RD_DATA)
  );
endmodule
