## text = outcome_difference (first, second, names)
## "" when two outcomes agree in everything describe_outcome shows, else
## both described on lines of their own, labelled with the two names.
function text = outcome_difference (first, second, names = {"expected", "got"})
  first = describe_outcome (first);
  second = describe_outcome (second);
  text = "";
  if (! strcmp (first, second))
    text = sprintf ("\n  %-8s %s\n  %-8s %s", names{1}, first, names{2}, second);
  endif
endfunction
