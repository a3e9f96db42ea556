% blocktide_sim from Octave: a design opened through the gateway is written (doubles and
% wide values), run and read; handles die with close, clear and unloading; misuse is an
% Octave error, never a crash.
function test_sim_module(source_root)
  folder = scratch_design(source_root, 'widepath.vo', 'widepath_map.xml');
  cleanup = onCleanup(@() remove_scratch(folder));
  netlist = fullfile(folder, 'widepath.vo');
  map = fullfile(folder, 'widepath_map.xml');

  h = blocktide_sim('open', netlist, map);
  info = blocktide_sim('info', h);
  assert(info.top_level_name, 'widepath');
  assert(info.inputs, {'c', 'a', 'b', 'x', 'y'});
  assert(info.input_widths, [40 100 100 8 8]);
  assert(info.outputs, {'sum', 'carry', 'held', 'small', 'total'});
  assert(info.feed_through, logical([0 1 1 1 1]));

  % doubles by name and by number (from 1)
  blocktide_sim('write', h, 'x', 200);
  blocktide_sim('write', h, 5, 100);
  blocktide_sim('run', h, 1);
  assert(blocktide_sim('read', h, 'total'), 44);
  assert(blocktide_sim('read', h, 4), 200);

  % a 100-bit sum from hexadecimal text and from uint32 words
  blocktide_sim('write_wide', h, 'a', '0xF_0000_0001_2345_6789_ABCD_EF01');
  blocktide_sim('write_wide', h, 'b', uint32([255 0 0 1]));
  blocktide_sim('run', h, 1);
  [hex, words] = blocktide_sim('read_wide', h, 'sum');
  assert(hex, '00000000123456789abcdf000');
  assert(words, uint32([hex2dec('abcdf000') hex2dec('23456789') 1 0]));
  assert(blocktide_sim('read', h, 'carry'), 1);
  % a 40-bit value through the register
  blocktide_sim('write_wide', h, 'c', 'ff_fffe_8000');
  blocktide_sim('run', h, 2);
  assert(blocktide_sim('read_wide', h, 'held'), 'fffffe8000');

  % the formatter: x with 3 fraction bits, total signed, small as 4.4 fixed point
  blocktide_sim('format', h, 'sssfs', 'sssfs', [40 100 100 8 8], [0 0 0 3 0], [100 1 40 4 8], [0 0 0 4 0]);
  blocktide_sim('write', h, 'x', 1.5);
  blocktide_sim('write', h, 'y', 228);
  blocktide_sim('run', h, 1);
  assert(blocktide_sim('read', h, 'total'), -16);
  assert(blocktide_sim('read', h, 'small'), 0.75);
  blocktide_sim('format', h, 'off');
  assert(blocktide_sim('read', h, 'total'), 240);

  % NaN is written as 0 and reported at the run
  printed = evalc('blocktide_sim(''write'', h, ''x'', NaN); blocktide_sim(''run'', h, 1);');
  assert(printed, sprintf('Blocktide Warning: widepath: Input value is not a number; 0 was written instead\n'));
  assert(blocktide_sim('read', h, 'small'), 0);

  % misuse: clear errors, the module stays usable
  expect_error('blocktide_sim()', 'names a command');
  expect_error('blocktide_sim(3)', 'names a command');
  expect_error('blocktide_sim(''jump'', h)', 'unknown command ''jump''');
  expect_error('blocktide_sim(''run'', h)', 'usage: blocktide_sim(''run'', h, cycles)');
  expect_error('blocktide_sim(''run'', h, -1)', 'whole number from 0');
  expect_error('blocktide_sim(''run'', h, 1.5)', 'whole number from 0');
  expect_error('blocktide_sim(''run'', ''h'', 1)', 'the handle must be a real number');
  expect_error('blocktide_sim(''run'', [h h], 1)', 'the handle must be a real number');
  expect_error('blocktide_sim(''read'', h, ''nothing'')', 'no output named ''nothing''');
  expect_error('blocktide_sim(''read'', h, 6)', 'from 1 to 5');
  expect_error('blocktide_sim(''read'', h, {1})', 'output number must be a real number');
  expect_error('blocktide_sim(''write'', h, ''x'', ''5'')', 'the value must be a real number');
  expect_error('blocktide_sim(''write_wide'', h, ''a'', ''12g4'')', 'not a hexadecimal value');
  expect_error('blocktide_sim(''write_wide'', h, ''a'', 5)', 'hexadecimal text or a uint32 row');
  expect_error('blocktide_sim(''format'', h, ''sf'')', 'only the format ''off''');
  expect_error('blocktide_sim(''open'', fullfile(folder, ''absent.vo''), map)', 'could not be read');
  expect_error('blocktide_sim(''open'', 1, map)', 'the netlist path must be text');

  % stale handles
  blocktide_sim('close', h);
  expect_error('blocktide_sim(''read'', h, 1)', sprintf('handle %d is not an open simulation', h));
  expect_error('blocktide_sim(''close'', h)', 'is not an open simulation');
  expect_error('blocktide_sim(''info'', 0)', 'not a simulation handle');
  expect_error('blocktide_sim(''info'', NaN)', 'not a simulation handle');
  assert(isempty(blocktide_sim('handles')));

  % the wrapper class: released when cleared; unusable once closed
  sim = BlocktideSim(netlist, map);
  sim.write('x', 7); sim.write('y', 8); sim.run(1);
  assert(sim.read('total'), 15);
  assert(numel(blocktide_sim('handles')), 1);
  clear sim;
  assert(isempty(blocktide_sim('handles')));
  sim = BlocktideSim(netlist, map);
  sim.close();
  expect_error('sim.read(''total'')', 'not a simulation handle');

  % unloading the module releases every open design; handles are never reused
  first = blocktide_sim('open', netlist, map);
  clear blocktide_sim;
  second = blocktide_sim('open', netlist, map);
  assert(numel(blocktide_sim('handles')), 1);
  assert(first != second);
  expect_error('blocktide_sim(''read'', first, 1)', 'not an open simulation');
  blocktide_sim('close', second);
  disp('test_sim_module passed');
end
