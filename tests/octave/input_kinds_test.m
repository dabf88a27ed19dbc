## Every kind of array Octave can pass, in each input of each plug-in, the
## other input a good one: the call returns, or ends in an error under the
## plug-in's own identifiers with nothing printed; Octave goes on. What a
## call returns is checked against the inputs' values. The kinds of the
## shared list are passed in the stand-in host too, which must agree.
1;

function lines = read_lines (file)
  lines = strtrim (strsplit (fileread (file), "\n"));
  lines = lines(! cellfun (@isempty, lines) & ! strncmp (lines, "#", 1));
endfunction

## What is wrong with an Octave call's outcome, "" if nothing: an error
## must be the plug-in's own, a whole sentence, after no text; a result
## must be what the inputs' first values (vandrel) or the multiplier times
## the row's real parts (quenvor) give.
function problem = outcome_problem (outcome, plugin, inputs)
  problem = "";
  if (! outcome.returned)
    prefix = [plugin.name ": "];
    if (! strncmp (outcome.identifier, plugin.identifiers, numel (plugin.identifiers))
        || ! strncmp (outcome.message, prefix, numel (prefix))
        || ! strcmp (outcome.message(end), ".") || ! isempty (outcome.printed))
      problem = describe_outcome (outcome);
    endif
    return;
  endif
  expected = outcome;
  if (strcmp (plugin.name, "vandrel"))
    shown = cellfun (@(x) shown_as_by_c (real (x(1))), inputs, "UniformOutput", false);
    expected.printed = demonstration_text (shown{:});
  else
    expected.printed = "";
    expected.outputs = {inputs{1} * real(reshape(full(inputs{2}), 1, []))};
  endif
  problem = outcome_difference (expected, outcome);
endfunction

## A double as C's printf shows it with %g: Octave's own sprintf writes
## Inf, NaN and NA where C writes inf and nan.
function text = shown_as_by_c (value)
  if (isnan (value))
    text = "nan";
  elseif (value == Inf)
    text = "inf";
  elseif (value == -Inf)
    text = "-inf";
  else
    text = sprintf ("%g", value);
  endif
endfunction

## How the stand-in host's outcome of the same call differs, "" if in
## nothing but Octave's "NAME: " before the message.
function problem = disagreement (outcome, plugin, literals)
  stand_in = call_in_stand_in (plugin.name, plugin.nargout, literals);
  if (! stand_in.returned)
    stand_in.message = [plugin.name ": " stand_in.message];
  endif
  problem = outcome_difference (outcome, stand_in, {"Octave", "stand-in"});
endfunction

addpath (getenv ("OCTAVE_MEX_DIR"));
shared_kinds = read_lines (fullfile (getenv ("PLUGIN_CASES_DIR"), "input_kinds.txt"));
## Arrays call_plugin has no literal for: functions, ranges, objects, and
## shapes or classes the shared list leaves out.
octave_kinds = {"@sin", "@(x) x + 1", "{@sin}", "1:3", "1:0", "(1:3)'", ...
                "zeros(2,0,3)", "ones(1,1,1,1,2)", "int8(ones(2,2,2))", ...
                "single(1+2i)", "single(NaN)", "NA", "intmax('int64')", ...
                "['ab'; 'cd']", "sparse(1, 1, true)", "sparse(2, 3)", ...
                "struct('a', {1 2; 3 4})", "cell(2,0,2)", "containers.Map()"};

plugins = struct ("name", {"vandrel", "quenvor"}, "nargout", {0, 1},
                  "inputs", {{"1", "1"}, {"2", "[1 2 3]"}},
                  "identifiers", {"MATLAB:vandrel:", "Tessaly:quenvor:"});
## OCTAVE_ONLY leaves the stand-in host out (see plugin_calls_test.m).
with_stand_in = isempty (getenv ("OCTAVE_ONLY"));
failures = {};
checked = 0;
for plugin = plugins
  for kind = [shared_kinds octave_kinds]
    for position = 1:2
      literals = plugin.inputs;
      literals{position} = kind{1};
      what = sprintf ("%s(%s)", plugin.name, strjoin (literals, ", "));
      inputs = cellfun (@eval, literals, "UniformOutput", false);
      outcome = call_in_octave (plugin.name, plugin.nargout, inputs);
      checked++;
      problem = outcome_problem (outcome, plugin, inputs);
      if (isempty (problem) && with_stand_in && any (strcmp (kind{1}, shared_kinds)))
        problem = disagreement (outcome, plugin, literals);
      endif
      if (! isempty (problem))
        failures{end+1} = sprintf ("%s: %s", what, problem);
      endif
    endfor
  endfor
endfor
report_failures (failures, checked);
