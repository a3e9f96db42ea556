// Blocktide primitives as yosys sees them: black boxes with their port directions, named as
// in the default XML map (maps/blocktide_map.xml). Read with `read_verilog -lib`.
(* blackbox *) module bt_dffe(clk, d, adata, preset, clear, aload, ena, sclr, sload, q);
  input clk, d, adata, preset, clear, aload, ena, sclr, sload; output q;
endmodule
(* blackbox *) module bt_mux2(dataa, datab, sel, result);
  input dataa, datab, sel; output result;
endmodule
(* blackbox *) module bt_busmux2(dataa, datab, sel, result);
  input dataa, datab, sel; output result;
endmodule
(* blackbox *) module bt_or_reduce(data, result);
  input data; output result;
endmodule
(* blackbox *) module bt_and_reduce(data, result);
  input data; output result;
endmodule
(* blackbox *) module bt_xor_reduce(data, result);
  input data; output result;
endmodule
(* blackbox *) module bt_add(dataa, datab, cin, result, cout);
  input dataa, datab, cin; output result, cout;
endmodule
(* blackbox *) module bt_addsub(dataa, datab, add_sub, result);
  input dataa, datab, add_sub; output result;
endmodule
(* blackbox *) module bt_mult(dataa, datab, result);
  input dataa, datab; output result;
endmodule
(* blackbox *) module bt_div(numer, denom, result);
  input numer, denom; output result;
endmodule
(* blackbox *) module bt_mod(numer, denom, result);
  input numer, denom; output result;
endmodule
(* blackbox *) module bt_compare_le(dataa, datab, or_equal, result);
  input dataa, datab, or_equal; output result;
endmodule
(* blackbox *) module bt_shl(data, distance, fill, result);
  input data, distance, fill; output result;
endmodule
(* blackbox *) module bt_shr(data, distance, fill, result);
  input data, distance, fill; output result;
endmodule
(* blackbox *) module bt_latch(d, ena, aclr, apre, q);
  input d, ena, aclr, apre; output q;
endmodule
(* blackbox *) module lpm_mux(clock, data, sel, aclr, clken, result);
  input clock, data, sel, aclr, clken; output result;
endmodule
(* blackbox *) module bt_syncram(clock0, clock1, data_a, data_b, address_a, address_b, wren_a, rden_a,
                                 wren_b, rden_b, clocken0, clocken1, clocken2, clocken3, aclr0, aclr1,
                                 addressstall_a, addressstall_b, byteena_a, byteena_b, q_a, q_b, eccstatus);
  input clock0, clock1, data_a, data_b, address_a, address_b, wren_a, rden_a, wren_b, rden_b;
  input clocken0, clocken1, clocken2, clocken3, aclr0, aclr1, addressstall_a, addressstall_b;
  input byteena_a, byteena_b;
  output q_a, q_b, eccstatus;
endmodule
