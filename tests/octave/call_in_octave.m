## outcome = call_in_octave (plugin, nargout_asked, inputs)
## Calls the plug-in's MEX file in this Octave with the input values, asking
## for nargout_asked outputs, and tells what happened: returned, printed
## (the text the call printed), outputs (cell), and for an error its
## identifier and message as Octave reports them.
function outcome = call_in_octave (plugin, nargout_asked, inputs)
  outputs = cell (1, nargout_asked);
  failure = [];
  printed = evalc (["try, [outputs{:}] = feval (plugin, inputs{:}); ", ...
                    "catch failure, end"]);
  outcome = struct ("returned", isempty (failure), "printed", printed,
                    "outputs", {outputs}, "identifier", "", "message", "");
  if (! outcome.returned)
    outcome.identifier = failure.identifier;
    outcome.message = failure.message;
  endif
endfunction
