## Every call of the shared case table, made in GNU Octave on the Octave MEX
## files and in the stand-in host through call_plugin: each host must give
## the table's outcome. Octave puts "NAME: " before a plug-in's message, so
## its messages are compared with that prefix; the stand-in adds nothing.
addpath (getenv ("OCTAVE_MEX_DIR"));
calls = read_plugin_calls (fullfile (getenv ("PLUGIN_CASES_DIR"), "calls.txt"));
## OCTAVE_ONLY leaves the stand-in host out, for runs where Octave alone is
## watched (under valgrind, which does not follow call_plugin).
with_stand_in = isempty (getenv ("OCTAVE_ONLY"));
failures = {};
for call = calls
  inputs = cellfun (@eval, call.inputs, "UniformOutput", false);
  hosts = {"Octave", call_in_octave(call.plugin, call.nargout, inputs), [call.plugin ": "]};
  if (with_stand_in)
    hosts(end+1, :) = {"stand-in", call_in_stand_in(call.plugin, call.nargout, call.inputs), ""};
  endif
  for h = 1:rows (hosts)
    problem = outcome_difference (expected_outcome (call, hosts{h, 3}), hosts{h, 2});
    if (! isempty (problem))
      failures{end+1} = sprintf ("%s: %s%s", hosts{h, 1}, call.text, problem);
    endif
  endfor
endfor
report_failures (failures, (1 + with_stand_in) * numel (calls));
