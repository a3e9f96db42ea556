% Simulates the bundled accumulator design from Octave and plots its output over the cycles.
% Needs Blocktide on the path: pkg load blocktide, or addpath(fullfile(pwd, 'build', 'octave')). When Octave runs
% without a display (octave-cli, CI) the plot is saved as a PNG: to output_png when that
% variable is set before running this script, otherwise to accumulator.png in tempdir.
%
%   addpath(fullfile(pwd, 'build', 'octave')); run('examples/octave/plot_accumulator.m')

example_dir = fileparts(mfilename('fullpath'));
if ~exist('output_png', 'var')
  output_png = fullfile(tempdir, 'accumulator.png');
end

% Work on a copy: the import writes the design's SimDB file beside the netlist.
work_dir = tempname();
mkdir(work_dir);
copyfile(fullfile(example_dir, 'accumulator.vo'), work_dir);
copyfile(fullfile(example_dir, 'accumulator_map.xml'), work_dir);

sim = BlocktideSim(fullfile(work_dir, 'accumulator.vo'), fullfile(work_dir, 'accumulator_map.xml'));
design = sim.info();
printf('%s: inputs %s, outputs %s\n', design.top_level_name, strjoin(design.inputs, ' '), ...
       strjoin(design.outputs, ' '));

% The step is 3 for the first 40 cycles and 11 after that; the level is read after each.
% A step written before a cycle is added in that cycle's settling and reaches the register
% at the next cycle's edge.
cycles = 80;
level = zeros(1, cycles);
signed_level = zeros(1, cycles);
for cycle = 1:cycles
  sim.write('step', 3 + 8 * (cycle > 40));
  sim.run(1);
  level(cycle) = sim.read('level');
end
% The same register read as a signed 8-bit number through the port formatter.
sim.format('s', 's', 8, 0, 8, 0);
signed_now = sim.read('level');
sim.close();
confirm_recursive_rmdir(false, 'local');
rmdir(work_dir, 's');
printf('level after %d cycles: %d (as signed 8 bits: %d)\n', cycles, level(end), signed_now);

headless = isempty(getenv('DISPLAY')) || ~isguirunning();
if headless
  % without a display the remaining toolkit may be gnuplot, which warns about itself
  warning('off', 'all');
  figure_handle = figure('visible', 'off');
else
  figure_handle = figure();
end
stairs(1:cycles, level, 'linewidth', 1.5);
xlabel('cycle');
ylabel('level');
title(sprintf('%s: level over %d cycles (step 3, then 11)', design.top_level_name, cycles));
axis([1 cycles 0 256]);
grid on;
if headless
  print(figure_handle, '-dpng', output_png);
  close(figure_handle);
  printf('plot saved to %s\n', output_png);
end
