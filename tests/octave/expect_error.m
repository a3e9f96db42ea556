% Runs code (text) and checks that it raises an error whose message contains expected.
function expect_error(code, expected)
  try
    evalin('caller', code);
  catch failure
    assert(!isempty(strfind(failure.message, expected)), ...
           sprintf('"%s" failed with "%s", expected "%s"', code, failure.message, expected));
    return;
  end
  error('"%s" raised no error (expected "%s")', code, expected);
end
