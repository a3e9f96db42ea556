% mrv_blocktide_mMrvn_Pvo from Octave: the ten results of a real design (and its SimDB file),
% the usage text on misuse, and the initial values for a design that cannot be read.
function test_entry_point(source_root)
  folder = scratch_design(source_root, 'widepath.vo', 'widepath_map.xml');
  cleanup = onCleanup(@() remove_scratch(folder));
  netlist = fullfile(folder, 'widepath.vo');
  map = fullfile(folder, 'widepath_map.xml');

  [ninput, noutput, nclock, inputs, outputs, clocks, top, top_clock, in_widths, out_widths] = ...
      mrv_blocktide_mMrvn_Pvo(netlist, map);
  assert(ninput, 5);
  assert(noutput, 5);
  assert(nclock, 1);
  assert(inputs, 'c a b x y ');
  assert(outputs, 'sum carry held small total ');
  assert(clocks, 'clk ');
  assert(top, 'widepath');
  assert(top_clock, 'clk');
  assert(in_widths, '40 100 100 8 8 ');
  assert(out_widths, '100 1 40 8 8 ');
  assert(exist([netlist '.simdb'], 'file') == 2);

  % fewer results: only those requested; none requested still gives the first
  [ninput, noutput] = mrv_blocktide_mMrvn_Pvo(netlist, map);
  assert([ninput noutput], [5 5]);
  mrv_blocktide_mMrvn_Pvo(netlist, map);
  assert(ans, 5);

  usage = [' mrv_blocktide_mMrvn_Pvo' char([10 10]) ...
           '    Usage [ninput, noutput, nclock, input_port_names, output_port_names, clock_names, ' ...
           'top_level_name, top_clockname, inptbwl, outptbwl] = mrv_blocktide_mMrvn_Pvo(''<design>.vo'', ' ...
           '''KelvornCMap.xml'')' char([10 10])];
  ending = ['       outptbwl          : Output port bit-widths [''width 0'' '' '' ''width n'']' char([10 10])];
  for call = {'mrv_blocktide_mMrvn_Pvo(''a.vo'');', ...
              'mrv_blocktide_mMrvn_Pvo(''a.vo'', ''b.xml'', ''c'');', ...
              'mrv_blocktide_mMrvn_Pvo();', ...
              '[r{1:11}] = mrv_blocktide_mMrvn_Pvo(''a.vo'', ''b.xml'');'}
    printed = evalc(call{1}, '');
    assert(strncmp(printed, usage, numel(usage)), ['no usage for ' call{1}]);
    assert(numel(printed) >= numel(ending) && strcmp(printed(end-numel(ending)+1:end), ending));
    assert(numel(strfind(printed, char(10))), 18);  % the usage's twelve pieces
  end
  % misuse hands back no result
  failed = false;
  try
    evalc('x = mrv_blocktide_mMrvn_Pvo(''only one'');');
  catch
    failed = true;
  end
  assert(failed);

  % a design that cannot be read, and a number in place of a path, keep the initial values
  missing = fullfile(folder, 'absent.vo');
  for paths = {{missing, map}, {42, map}, {netlist, 7}}
    r = {};
    [r{1:10}] = mrv_blocktide_mMrvn_Pvo(paths{1}{:});
    assert(r, {0, 0, 0, ' ', ' ', '', '', '', '', ''});
  end
  printed = evalc('mrv_blocktide_mMrvn_Pvo(missing, map);');
  assert(!isempty(strfind(printed, 'Blocktide Fatal Error: absent: No ''module'' keyword found in design')), printed);
  disp('test_entry_point passed');
end
