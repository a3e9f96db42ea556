% Checkpoints from Octave: a simulation saved part way and restored into a second one of
% the same design runs on exactly as the first; a damaged checkpoint fails and changes nothing.
function test_checkpoint(source_root)
  folder = scratch_design(source_root, 'widepath.vo', 'widepath_map.xml');
  cleanup = onCleanup(@() remove_scratch(folder));
  netlist = fullfile(folder, 'widepath.vo');
  state = fullfile(folder, 'half.state');

  rand('seed', 24);
  first = BlocktideSim(netlist, fullfile(folder, 'widepath_map.xml'));
  for cycle = 1:10
    drive(first, randi(2^20, 1, 3));
  end
  first.save(state);
  second = BlocktideSim(netlist);
  second.restore(state);
  same(first, second);
  for cycle = 1:10
    values = randi(2^20, 1, 3);
    drive(first, values);
    drive(second, values);
    same(first, second);
  end

  % a damaged checkpoint is refused and the simulation runs on as the first
  file = fopen(state, 'r'); bytes = fread(file, Inf, 'uint8=>uint8'); fclose(file);
  bytes(end) = bitxor(bytes(end), 1);
  file = fopen(state, 'w'); fwrite(file, bytes, 'uint8'); fclose(file);
  expect_error('second.restore(state)', 'not restored');
  values = randi(2^20, 1, 3);
  drive(first, values);
  drive(second, values);
  same(first, second);
end

function drive(sim, values)
  sim.write('c', values(1));
  sim.write('x', mod(values(2), 256));
  sim.write('y', mod(values(3), 256));
  sim.run(1);
end

function same(a, b)
  for port = {'held', 'total', 'small', 'carry'}
    [va, xa] = a.read(port{1}, 'uint64');
    [vb, xb] = b.read(port{1}, 'uint64');
    assert(vb, va);
    assert(xb, xa);
  end
end
