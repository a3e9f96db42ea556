% Removes a folder made by scratch_design with everything in it.
function remove_scratch(folder)
  confirm_recursive_rmdir(false, 'local');
  rmdir(folder, 's');
end
