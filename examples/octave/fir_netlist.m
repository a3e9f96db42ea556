% fir_netlist(path, h, input_bits, coefficient_bits): writes the netlist of a direct-form
% FIR filter with the integer coefficients h, for the default map (maps/blocktide_map.xml):
% a delay line of registers holding the last numel(h) samples of the signed input x, one
% signed multiplier per tap whose second operand is its coefficient as constant bits, and a
% chain of signed adders. The output y (input_bits + coefficient_bits + 4 bits, signed) is
% sum over k of h(k) * x(n - k + 1), exact. The netlist's dialect wants I/O, then wires, then
% instances (each with one defparam statement right after it), then assignments.
function fir_netlist(path, h, input_bits, coefficient_bits)
  taps = numel(h);
  product_bits = input_bits + coefficient_bits;
  sum_bits = product_bits + 4;
  assert(taps <= 16, 'the sum has room for 16 taps');
  f = fopen(path, 'w');
  cleanup = onCleanup(@() fclose(f));
  fprintf(f, '// A %d-tap FIR filter written by fir_netlist.m: coefficients %s.\n', taps, mat2str(h));
  fprintf(f, 'module fir (clk, x, y);\ninput clk;\ninput [%d:0] x;\noutput [%d:0] y;\n', ...
          input_bits - 1, sum_bits - 1);
  for k = 2:taps
    fprintf(f, 'wire [%d:0] d%d;\n', input_bits - 1, k);
  end
  for k = 1:taps
    fprintf(f, 'wire [%d:0] p%d;\n', product_bits - 1, k);
  end
  for k = 2:taps
    fprintf(f, 'wire [%d:0] s%d;\n', sum_bits - 1, k);
  end
  % tap 1 reads the input itself; tap k the register fed by tap k - 1 (wires first, then
  % instances, then assignments: the netlist's order)
  tap = @(k) ifelse_text(k == 1, sprintf('x[%d:0]', input_bits - 1), sprintf('d%d[%d:0]', k, input_bits - 1));
  for k = 2:taps
    fprintf(f, 'bt_dffe r%d (.clk(clk), .d(%s), .q(d%d[%d:0]));\ndefparam r%d.width = %d;\n', ...
            k, tap(k - 1), k, input_bits - 1, k, input_bits);
  end
  for k = 1:taps
    fprintf(f, 'bt_mult m%d (.dataa(%s), .datab(%s), .result(p%d[%d:0]));\n', ...
            k, tap(k), constant_bits(h(k), coefficient_bits), k, product_bits - 1);
    fprintf(f, 'defparam m%d.width_a = %d, m%d.width_b = %d, m%d.width_o = %d, m%d.signed = 1;\n', ...
            k, input_bits, k, coefficient_bits, k, product_bits, k);
  end
  % each adder sign-extends its first operand to the sum's width
  previous = sprintf('p1[%d:0]', product_bits - 1);
  previous_bits = product_bits;
  for k = 2:taps
    fprintf(f, 'bt_addsub a%d (.dataa(%s), .datab(p%d[%d:0]), .add_sub(1''b1), .result(s%d[%d:0]));\n', ...
            k, previous, k, product_bits - 1, k, sum_bits - 1);
    fprintf(f, 'defparam a%d.width_a = %d, a%d.width_b = %d, a%d.width_o = %d, a%d.signed = 1;\n', ...
            k, previous_bits, k, product_bits, k, sum_bits, k);
    previous = sprintf('s%d[%d:0]', k, sum_bits - 1);
    previous_bits = sum_bits;
  end
  fprintf(f, 'assign y = %s;\nendmodule\n', previous);
end

function text = ifelse_text(condition, yes, no)
  if condition
    text = yes;
  else
    text = no;
  end
end

% A coefficient as a concatenation of constant bits, most significant first (the netlist
% knows only the one-bit constants 1'b0 and 1'b1).
function text = constant_bits(value, bits)
  pattern = mod(value, 2^bits);
  terms = arrayfun(@(b) sprintf('1''b%d', bitget(pattern, b)), bits:-1:1, 'UniformOutput', false);
  text = ['{' strjoin(terms, ', ') '}'];
end
