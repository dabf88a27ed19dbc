% VANDREL  Show the life of an object that holds two values.
%
%   VANDREL(A, B) creates an object holding the pair (0, 0) and prints it,
%   sets the object's values to A and B and prints it again, then deletes it:
%
%     The initialized data in object:
%     Value1 = 0
%     Value2 = 0
%
%     After setting the object's data to your input:
%     Value1 = A
%     Value2 = B
%
%   Arguments:
%     A, B  full arrays of class double with at least one element each; the
%           first element of each is used (its real part).
%
%   Result: none. Call VANDREL as a statement, with no output.
%
%   Errors (identifier: message):
%     MATLAB:vandrel:nargin       VANDREL requires two input arguments.
%     MATLAB:vandrel:nargout      VANDREL requires no output argument.
%     MATLAB:vandrel:notDouble    VANDREL requires inputs of class double.
%     MATLAB:vandrel:sparseInput  VANDREL requires full inputs, not sparse ones.
%     MATLAB:vandrel:emptyInput   VANDREL requires inputs with at least one
%                                 element.
%
%   Example:
%     vandrel(3, 4.5)
%
%   This file holds only the help text; the function is the MEX file beside it.
