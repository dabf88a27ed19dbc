## text = describe_outcome (outcome)
## An outcome as one line of text that holds everything the tests compare:
## whether the call returned, what it printed, each output's class, size,
## complexity, sparsity and values (to 17 digits), or the error's
## identifier and message. Equal outcomes give equal texts.
function text = describe_outcome (outcome)
  printed = undo_string_escapes (outcome.printed);
  if (outcome.returned)
    text = sprintf ("returned, printed \"%s\"", printed);
    for k = 1:numel (outcome.outputs)
      text = [text sprintf(", out%d = %s", k, describe_array (outcome.outputs{k}))];
    endfor
  else
    text = sprintf ("error %s \"%s\"", outcome.identifier, outcome.message);
    if (! isempty (printed))
      text = [text sprintf(" after printing \"%s\"", printed)];
    endif
  endif
endfunction

function text = describe_array (value)
  text = sprintf ("%s %s", class (value), mat2str (size (value)));
  if (issparse (value))
    text = [text " sparse"];
    value = full (value);
  endif
  if (isnumeric (value) && ! isreal (value))
    text = [text " complex"];
  endif
  if (isnumeric (value) || islogical (value) || ischar (value))
    text = [text " " mat2str(value(:).', 17)];
  endif
endfunction
