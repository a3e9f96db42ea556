% The Octave example runs the bundled accumulator design and saves its plot as a PNG.
function test_example_plot(source_root)
  folder = tempname();
  mkdir(folder);
  cleanup = onCleanup(@() remove_scratch(folder));
  output_png = fullfile(folder, 'level.png');
  printed = evalc('run(fullfile(source_root, ''examples'', ''octave'', ''plot_accumulator.m''))');
  % the register takes at each edge the sum settled in the cycle before, so after 80 cycles
  % it holds the first 79 steps, 40 of 3 and 39 of 11, modulo 256: 549 mod 256
  assert(!isempty(strfind(printed, 'level after 80 cycles: 37 (as signed 8 bits: 37)')), printed);
  if isempty(available_graphics_toolkits())
    disp('no graphics toolkit: the plot itself is not checked');
  else
    info = dir(output_png);
    assert(numel(info), 1, 'no PNG written');
    fid = fopen(output_png, 'r');
    signature = fread(fid, 8, 'uint8')';
    fclose(fid);
    assert(signature, [137 80 78 71 13 10 26 10]);
  end
  disp('test_example_plot passed');
end
