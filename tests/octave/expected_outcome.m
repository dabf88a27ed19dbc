## outcome = expected_outcome (call, message_prefix)
## The outcome a row of the case table asks for, in call_in_octave's form;
## message_prefix is what the host puts before the plug-in's message.
function outcome = expected_outcome (call, message_prefix)
  outcome = struct ("returned", true, "printed", "",
                    "outputs", {cell(1, call.nargout)}, "identifier", "",
                    "message", "");
  switch (call.outcome)
    case "prints"
      shown = strsplit (call.expected, " ");
      outcome.printed = demonstration_text (shown{:});
    case "returns"
      outcome.outputs{1} = eval (call.expected);
    case "error"
      [identifier, message] = strtok (call.expected);
      outcome.returned = false;
      outcome.outputs = {};
      outcome.identifier = identifier;
      outcome.message = [message_prefix strtrim(message)];
    otherwise
      error ("expected_outcome: unknown outcome '%s'", call.outcome);
  endswitch
endfunction
