% blocktide_sim from Octave: a design opened (imported only when its SimDB file is stale) is
% written with doubles, exact integers and wide values with undefined bits, run, stepped and
% read (NaN and masks for undefined bits); handles die with close, clear and unloading; misuse
% is an Octave error, never a crash.
function test_sim_module(source_root)
  folder = scratch_design(source_root, 'widepath.vo', 'widepath_map.xml');
  cleanup = onCleanup(@() remove_scratch(folder));
  netlist = fullfile(folder, 'widepath.vo');
  map = fullfile(folder, 'widepath_map.xml');

  h = blocktide_sim('open', netlist, map);
  info = blocktide_sim('info', h);
  assert(info.top_level_name, 'widepath');
  assert(info.inputs, {'a', 'b', 'c', 'x', 'y'});  % ascending name order
  assert(info.input_widths, [100 100 40 8 8]);
  assert(info.outputs, {'carry', 'held', 'small', 'sum', 'total'});
  assert(info.clocks, {'clk'});
  assert(info.feed_through, logical([1 1 0 1 1]));

  % doubles by name and by number (from 1)
  blocktide_sim('write', h, 'x', 200);
  blocktide_sim('write', h, 5, 100);
  blocktide_sim('run', h, 1);
  assert(blocktide_sim('read', h, 'total'), 44);
  assert(blocktide_sim('read', h, 3), 200);

  % a 100-bit sum from hexadecimal text and from uint32 words
  blocktide_sim('write_wide', h, 'a', '0xF_0000_0001_2345_6789_ABCD_EF01');
  blocktide_sim('write_wide', h, 'b', uint32([255 0 0 1]));
  blocktide_sim('run', h, 1);
  [hex, words] = blocktide_sim('read_wide', h, 'sum');
  assert(hex, '00000000123456789abcdf000');
  assert(words, uint32([hex2dec('abcdf000') hex2dec('23456789') 1 0]));
  assert(blocktide_sim('read', h, 'carry'), 1);
  expect_error('blocktide_sim(''read'', h, ''sum'', ''uint64'')', 'read it with read_wide');

  % exact integers: 2^53 + 1 and 2^40 - 1 keep every bit; int64 reads sign-extend
  blocktide_sim('write', h, 'c', int64(2^53) + 1);  % cut to 40 bits, with one warning
  blocktide_sim('write', h, 'c', uint64(2^40) - 1);
  blocktide_sim('run', h, 2);
  assert(blocktide_sim('read', h, 'held', 'uint64'), uint64(2^40) - 1);
  assert(blocktide_sim('read', h, 'held', 'int64'), int64(-1));
  assert(blocktide_sim('read', h, 'held'), 2^40 - 1);
  printed = evalc('blocktide_sim(''write'', h, ''x'', uint64(511));');
  assert(!isempty(strfind(printed, 'Value for input x has bits above its 8-bit width')), printed);
  printed = evalc('blocktide_sim(''write'', h, ''x'', int8(-3));');  % fits as two's complement
  assert(isempty(printed), printed);
  blocktide_sim('run', h, 1);
  assert(blocktide_sim('read', h, 'small', 'uint64'), uint64(253));

  % undefined bits: NaN in doubles, a mask beside integers, 'x' digits in hexadecimal
  blocktide_sim('write', h, 'c', 5, uint64(hex2dec('F0')));
  blocktide_sim('run', h, 2);
  [value, undefined] = blocktide_sim('read', h, 'held', 'uint64');
  assert(undefined, uint64(240));
  assert(isnan(blocktide_sim('read', h, 'held')));
  blocktide_sim('write_wide', h, 'c', 'x0_0000_0005');
  blocktide_sim('run', h, 2);
  [hex, words, xwords] = blocktide_sim('read_wide', h, 'held');
  assert(hex, 'x000000005');
  assert(xwords, uint32([0 240]));

  % stepping: a row of inputs per cycle in, the outputs per cycle out
  U = struct('x', (1:6)', 'y', uint8([10 20 30 40 50 60])');
  [Y, X] = blocktide_sim('step', h, U, {'total', 'small'});
  assert(size(Y), [6 2]);
  assert(Y(:, 1)', [11 22 33 44 55 66]);
  assert(Y(:, 2)', 1:6);
  assert(X, zeros(6, 2, 'uint64'));
  [Y, X] = blocktide_sim('step', h, struct('c', {{'x0_0000_0001'; '00_0000_0002'; '00_0000_0003'}}), 'held', 'uint64');
  assert(class(Y), 'uint64');
  top = uint64(hex2dec('F000000000'));
  assert(X', [top top 0]);  % the register shows each value a cycle later
  expect_error('blocktide_sim(''step'', h, struct(''x'', [1 2], ''y'', [1 2 3]), ''total'')', 'same number');
  expect_error('blocktide_sim(''step'', h, struct(''nothing'', 1), ''total'')', 'no input named ''nothing''');
  expect_error('blocktide_sim(''step'', h, struct(), ''total'')', 'name no input');
  expect_error('blocktide_sim(''step'', h, struct(''x'', 1.5), ''total'')', 'whole numbers');

  % signals inside the design: the netlist's names (opened with the map), read without effect
  names = blocktide_sim('signals', h);
  assert(any(strcmp(names, 'store.q')) && any(strcmp(names, 'store.dataout')) && any(strcmp(names, 'q')), ...
         strjoin(names, ' '));
  blocktide_sim('write', h, 'c', uint64(77));
  blocktide_sim('run', h, 2);
  assert(blocktide_sim('peek', h, 'store.q'), 77);
  assert(blocktide_sim('peek', h, 'q', 'uint64'), uint64(77));  % the wire the register drives
  assert(blocktide_sim('peek', h, 's', 'hex'), blocktide_sim('read_wide', h, 'sum'));
  expect_error('blocktide_sim(''peek'', h, ''nothing'')', 'no signal named ''nothing''');
  expect_error('blocktide_sim(''peek'', h, ''s'')', 'peek it as');
  wave = fullfile(folder, 'w.vcd');
  blocktide_sim('waveform', h, wave, {'store.*'});
  blocktide_sim('write', h, 'c', uint64(78));
  blocktide_sim('run', h, 1);
  blocktide_sim('waveform', h);
  text = fileread(wave);
  assert(!isempty(strfind(text, '$scope module store $end')), text);
  assert(!isempty(regexp(text, '#\d*1\n', 'once')), text);  % values after a rising edge
  expect_error('blocktide_sim(''waveform'', h, fullfile(folder, ''none'', ''w.vcd''))', 'cannot write the waveform');

  % the formatter: x with 3 fraction bits, total signed, small as 4.4 fixed point
  blocktide_sim('format', h, 'sssfs', 'usfus', [100 100 40 8 8], [0 0 0 3 0], [1 40 4 100 8], [0 0 4 0 0]);
  blocktide_sim('write', h, 'x', 1.5);
  blocktide_sim('write', h, 'y', 228);
  blocktide_sim('run', h, 1);
  assert(blocktide_sim('read', h, 'total'), -16);
  assert(blocktide_sim('read', h, 'small'), 0.75);
  blocktide_sim('format', h, 'off');
  assert(blocktide_sim('read', h, 'total'), 240);

  % NaN is written as 0 and reported
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
  expect_error('blocktide_sim(''read'', h, 1, ''single'')', 'the class is');
  expect_error('blocktide_sim(''write'', h, ''x'', ''5'')', 'the value must be a real number');
  expect_error('blocktide_sim(''write_wide'', h, ''a'', ''12g4'')', 'not a hexadecimal value');
  expect_error('blocktide_sim(''write_wide'', h, ''a'', 5)', 'hexadecimal text or a row');
  expect_error('blocktide_sim(''format'', h, ''sf'')', 'only the format ''off''');
  expect_error('blocktide_sim(''open'', fullfile(folder, ''absent.vo''), map)', 'the netlist');
  expect_error('blocktide_sim(''open'', netlist, fullfile(folder, ''absent.xml''))', 'the map');
  expect_error('blocktide_sim(''open'', 1, map)', 'the netlist path must be text');

  % stale handles
  blocktide_sim('close', h);
  expect_error('blocktide_sim(''read'', h, 1)', sprintf('handle %d is not an open simulation', h));
  expect_error('blocktide_sim(''close'', h)', 'is not an open simulation');
  expect_error('blocktide_sim(''info'', 0)', 'not a simulation handle');
  expect_error('blocktide_sim(''info'', NaN)', 'not a simulation handle');
  assert(isempty(blocktide_sim('handles')));

  % a current SimDB file is opened without importing; a stale one is imported again
  h = blocktide_sim('open', netlist);  % from the SimDB file alone
  assert(isempty(blocktide_sim('info', h).clocks));  % no import: the clocks are not known
  blocktide_sim('close', h);
  printed = evalc('h = blocktide_sim(''open'', netlist, map);');
  assert(isempty(printed), printed);
  blocktide_sim('close', h);
  pause(1.1);  % a newer netlist, by the file system's clock
  text = fileread(netlist);
  fid = fopen(netlist, 'w'); fputs(fid, text); fclose(fid);
  expect_error('blocktide_sim(''open'', netlist)', 'older than the netlist');
  printed = evalc('h = blocktide_sim(''open'', netlist, map);');
  assert(!isempty(strfind(printed, 'older than its netlist or map; importing again')), printed);
  blocktide_sim('close', h);
  delete([netlist '.simdb']);
  expect_error('blocktide_sim(''open'', netlist)', 'no simulation database');

  % the wrapper class: released when cleared; unusable once closed
  sim = BlocktideSim(netlist, map);
  sim.write('x', 7); sim.write('y', 8); sim.run(1);
  assert(sim.read('total'), 15);
  [Y, X] = sim.step(struct('x', [1; 2]), 'small', 'uint64');
  assert(Y, uint64([1; 2]));
  shown = evalc('disp(sim)');
  assert(!isempty(strfind(shown, 'widepath')) && !isempty(strfind(shown, 'a[100]')), shown);
  assert(sim.inputs(), {'a', 'b', 'c', 'x', 'y'});
  assert(sim.peek('small'), 2);
  assert(any(strcmp(sim.signals(), 'byte_adder.result')));
  assert(numel(blocktide_sim('handles')), 1);
  clear sim;
  assert(isempty(blocktide_sim('handles')));
  sim = BlocktideSim(netlist, map);
  sim.close();
  expect_error('sim.read(''total'')', 'not a simulation handle');
  expect_error('BlocktideSim()', 'usage: sim = BlocktideSim(netlist[, map[, hex_directory]])');
  help_text = evalc('help BlocktideSim');
  assert(!isempty(strfind(help_text, 'sim.step(U')), help_text);
  help_text = evalc('help blocktide_sim');
  assert(!isempty(strfind(help_text, 'blocktide_sim(''step'', h, inputs, outputs')), help_text);

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
