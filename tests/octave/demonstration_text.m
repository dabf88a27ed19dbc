## text = demonstration_text (a, b)
## What vandrel prints for inputs whose values show as the texts a and b.
function text = demonstration_text (a, b)
  text = ["\nThe initialized data in object:\nValue1 = 0\nValue2 = 0\n\n", ...
          "After setting the object's data to your input:\n", ...
          "Value1 = " a "\nValue2 = " b "\n\n"];
endfunction
