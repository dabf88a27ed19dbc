## calls = read_plugin_calls (file)
## The calls of a case table (see tests/plugin_cases/calls.txt), one struct
## a call: plugin, nargout, inputs (cell of literals), outcome ("prints",
## "returns" or "error") and expected, the rest of the line after the
## outcome's word.
function calls = read_plugin_calls (file)
  calls = struct ("text", {}, "plugin", {}, "nargout", {}, "inputs", {},
                  "outcome", {}, "expected", {});
  for line = strsplit (fileread (file), "\n")
    text = strtrim (line{1});
    if (isempty (text) || text(1) == "#")
      continue;
    endif
    arrow = strfind (text, " => ");
    if (numel (arrow) != 1)
      error ("read_plugin_calls: no single ' => ' in: %s", text);
    endif
    parts = strsplit (text(1:arrow-1), " | ");
    head = strsplit (parts{1}, " ");
    [outcome, expected] = strtok (text(arrow+4:end));
    calls(end+1) = struct ("text", text, "plugin", head{1},
                           "nargout", str2double (head{2}),
                           "inputs", {parts(2:end)}, "outcome", outcome,
                           "expected", strtrim (expected));
  endfor
endfunction
