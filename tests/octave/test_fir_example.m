% The FIR example: its netlist, written from coefficients designed in Octave, simulated by
% Blocktide, matches Octave's filter() on every sample, and the plot is saved.
function test_fir_example(source_root)
  folder = tempname();
  mkdir(folder);
  cleanup = onCleanup(@() remove_scratch(folder));
  output_png = fullfile(folder, 'fir.png');
  printed = evalc('run(fullfile(source_root, ''examples'', ''octave'', ''fir_filter.m''))');
  assert(!isempty(strfind(printed, 'largest difference from Octave''s filter() on the same integers: 0')), printed);
  assert(!isempty(strfind(printed, '400 of 400 outputs defined')), printed);
  if !isempty(available_graphics_toolkits())
    assert(exist(output_png, 'file') == 2, 'no PNG written');
  end
  disp('test_fir_example passed');
end
