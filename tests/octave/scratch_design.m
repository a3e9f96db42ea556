% Copies the named files of tests/host/data into a fresh temporary folder and returns it;
% the Octave tests import and simulate there so that nothing lands in the source tree.
function folder = scratch_design(source_root, varargin)
  folder = tempname();
  mkdir(folder);
  for i = 1:numel(varargin)
    copyfile(fullfile(source_root, 'tests', 'host', 'data', varargin{i}), folder);
  end
end
