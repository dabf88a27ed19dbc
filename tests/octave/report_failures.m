## report_failures (failures, checked)
## Ends a test script: prints each failure and how many calls were checked,
## and exits with status 1 if anything failed.
function report_failures (failures, checked)
  printf ("%s\n", failures{:});
  printf ("%d calls checked, %d failures\n", checked, numel (failures));
  if (! isempty (failures))
    exit (1);
  endif
endfunction
