## outcome = call_in_stand_in (plugin, nargout_asked, literals)
## Makes the same call in the stand-in host: runs call_plugin (environment
## CALL_PLUGIN) on STAND_IN_PLUGIN_DIR/PLUGIN.mexa64 with the literals, and
## reads what it reports into an outcome like call_in_octave's. Outputs
## come back as the literals call_plugin prints, evaluated here.
function outcome = call_in_stand_in (plugin, nargout_asked, literals)
  file = fullfile (getenv ("STAND_IN_PLUGIN_DIR"), [plugin ".mexa64"]);
  command = sprintf ("%s -n %d -- %s", quoted (getenv ("CALL_PLUGIN")),
                     nargout_asked, quoted (file));
  for i = 1:numel (literals)
    command = [command " " quoted(literals{i})];
  endfor
  out = [tempname() ".out"];
  err = [tempname() ".err"];
  status = system ([command " >" out " 2>" err " </dev/null"]);
  printed = fileread (out);
  reported = fileread (err);
  delete (out, err);

  outcome = struct ("returned", status == 0, "printed", printed,
                    "outputs", {{}}, "identifier", "", "message", "");
  if (status == 0)
    [outcome.printed, outcome.outputs] = split_outputs (printed, nargout_asked);
  elseif (status == 1)
    ## "IDENTIFIER: MESSAGE" on one line; identifiers hold no ": ".
    reported = regexprep (reported, "\n$", "");
    at = [strfind(reported, ": ") 0];
    outcome.identifier = reported(1:at(1)-1);
    outcome.message = reported(at(1)+2:end);
  else
    outcome.message = sprintf ("call_plugin ended with status %d: %s",
                               status, reported);
  endif
endfunction

## The plug-in's own text, then one "outK = LITERAL" line per output.
function [text, outputs] = split_outputs (printed, count)
  outputs = cell (1, count);
  text = printed;
  for k = count:-1:1
    marker = sprintf ("out%d = ", k);
    at = strfind (text, marker);
    outputs{k} = eval (strtrim (text(at(end)+numel(marker):end)));
    text = text(1:at(end)-1);
  endfor
endfunction

function text = quoted (text)
  text = ["'" strrep(text, "'", "'\\''") "'"];
endfunction
