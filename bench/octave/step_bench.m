% Times stepping the accumulator example (examples/octave) from Octave in one run: 100,000
% cycles with a new input value per cycle through BlocktideSim.step, the same through one
% run(1e5) with a constant input, and 10,000 cycles written, run and read one by one.
%
%   octave-cli --eval "addpath(fullfile(pwd, 'build', 'octave')); run('bench/octave/step_bench.m')"
1;  % a script, not a function file: the helpers below are defined as it runs

function t = timed(action)
  start = tic();
  action();
  t = toc(start);
end

function loop(sim, cycles)
  for k = 1:cycles
    sim.write('step', mod(k, 7));
    sim.run(1);
    sim.read('level');
  end
end

example = fullfile(fileparts(mfilename('fullpath')), '..', '..', 'examples', 'octave');
work = tempname(); mkdir(work);
copyfile(fullfile(example, 'accumulator.vo'), work);
sim = BlocktideSim(fullfile(work, 'accumulator.vo'), fullfile(example, 'accumulator_map.xml'));
cycles = 100000;
U = struct('step', uint8(mod(0:cycles - 1, 7))');

best = @(f, n) min(arrayfun(@(k) f(), 1:n));
step_time = best(@() timed(@() sim.step(U, 'level')), 5);
sim.write('step', 3);
run_time = best(@() timed(@() sim.run(cycles)), 5);
loop_cycles = 10000;
loop_time = timed(@() loop(sim, loop_cycles)) * cycles / loop_cycles;
sim.close();
confirm_recursive_rmdir(false, 'local');
rmdir(work, 's');
printf('100,000 cycles: step %.1f ms, run %.1f ms (step / run %.2fx); write-run-read loop %.0f ms (%.0fx run)\n', ...
       1e3 * step_time, 1e3 * run_time, step_time / run_time, 1e3 * loop_time, loop_time / run_time);
