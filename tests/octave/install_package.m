% The Octave package as a user gets it: installed from its tarball into a scratch prefix,
% loaded with pkg load, and the FIR example run from the installed files alone (nothing of
% the build is on the path).
function install_package(tarball)
  scratch = tempname();
  mkdir(scratch);
  cleanup = onCleanup(@() remove_scratch(scratch));
  pkg('prefix', fullfile(scratch, 'share'), fullfile(scratch, 'arch'));
  pkg('local_list', fullfile(scratch, 'octave_packages'));
  pkg('install', '-local', tarball);
  pkg('load', 'blocktide');
  where = which('blocktide_sim');
  assert(strncmp(where, scratch, numel(scratch)), ['blocktide_sim comes from ' where]);
  output_png = fullfile(scratch, 'fir.png');
  printed = evalc('fir_filter');
  assert(!isempty(strfind(printed, 'largest difference from Octave''s filter() on the same integers: 0')), printed);
  help_text = evalc('help BlocktideSim');
  assert(!isempty(strfind(help_text, 'sim.step(U')), help_text);
  pkg('unload', 'blocktide');
  disp('install_package passed');
end
