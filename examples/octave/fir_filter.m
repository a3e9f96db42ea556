% Designs an 8-tap low-pass FIR filter in Octave, builds it as a netlist of multipliers,
% adders and registers (fir_netlist.m), simulates it with Blocktide on a noisy sine made in
% Octave, and compares every output sample with Octave's own filter() on the same integers
% and with the unquantised floating-point filter. Prints the figures and plots the signals.
% Needs Blocktide on the path: pkg load blocktide, or addpath(fullfile(pwd, 'build', 'octave')).
% Without a display the plot is saved as a PNG: to output_png when that variable is set,
% otherwise to fir_filter.png in tempdir.
%
%   run('examples/octave/fir_filter.m')

example_dir = fileparts(mfilename('fullpath'));
if ~exist('output_png', 'var')
  output_png = fullfile(tempdir, 'fir_filter.png');
end
input_bits = 12;
coefficient_bits = 10;

% A windowed-sinc low-pass filter (cut-off at a tenth of the sample rate), then its
% coefficients rounded to signed 10-bit integers (a gain of 2^9).
taps = 8;
n = (0:taps - 1) - (taps - 1) / 2;
ideal = 0.2 * sinc(0.2 * n) .* (0.54 - 0.46 * cos(2 * pi * (0:taps - 1) / (taps - 1)));
ideal = ideal / sum(ideal);
h = round(ideal * 2^(coefficient_bits - 1));

% The netlist and its simulation, in a scratch folder (the import writes beside the netlist).
work_dir = tempname();
mkdir(work_dir);
netlist = fullfile(work_dir, 'fir.vo');
fir_netlist(netlist, h, input_bits, coefficient_bits);
map = fullfile(example_dir, '..', '..', 'maps', 'blocktide_map.xml');
if ~exist(map, 'file')  % the installed package carries the map beside the example
  map = fullfile(example_dir, 'blocktide_map.xml');
end
sim = BlocktideSim(netlist, map);

% A slow sine with fast noise, as signed 12-bit samples.
samples = 400;
t = (0:samples - 1)';
signal = 1200 * sin(2 * pi * t / 100) + 500 * sin(2 * pi * t * 0.37) + 150 * randn(samples, 1);
x = int64(max(min(round(signal), 2^(input_bits - 1) - 1), -2^(input_bits - 1)));

% One step call: a sample per cycle in, the filter's output per cycle out (exact, signed).
[y, undefined] = sim.step(struct('x', x), 'y', 'int64');
sim.close();
confirm_recursive_rmdir(false, 'local');
rmdir(work_dir, 's');

% Outputs with undefined (X) bits, if any, are left out of the comparison.
valid = find(undefined == 0)';
reference = filter(h, 1, double(x));
exact_error = max(abs(double(y(valid)) - reference(valid)));
floating = filter(ideal, 1, double(x)) * 2^(coefficient_bits - 1);
quantisation = y(valid) - floating(valid);
snr = 10 * log10(sum(floating(valid).^2) / sum(double(quantisation).^2));
printf('%d-tap FIR, coefficients %s\n', taps, mat2str(h));
printf('%d of %d outputs defined\n', numel(valid), samples);
printf('largest difference from Octave''s filter() on the same integers: %g\n', exact_error);
printf('against the unquantised filter: %.1f dB signal to quantisation error\n', snr);

headless = isempty(getenv('DISPLAY')) || ~isguirunning();
if headless
  warning('off', 'all');
  figure_handle = figure('visible', 'off');
else
  figure_handle = figure();
end
plot(t, double(x), 'color', [0.7 0.7 0.7], t(valid), double(y(valid)) / 2^(coefficient_bits - 1), 'b', ...
     t, floating / 2^(coefficient_bits - 1), 'r--');
legend('input', 'Blocktide FIR', 'floating-point filter');
xlabel('cycle');
title(sprintf('%d-tap FIR: largest difference from filter() %g', taps, exact_error));
grid on;
if headless
  print(figure_handle, '-dpng', output_png);
  close(figure_handle);
  printf('plot saved to %s\n', output_png);
end
