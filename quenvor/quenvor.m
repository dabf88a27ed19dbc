% QUENVOR  Multiply a row vector by a scalar.
%
%   Y = QUENVOR(S, X) returns the row vector X multiplied by the scalar S:
%   Y(k) = S * X(k) for every k.
%
%   Arguments:
%     S  the multiplier: a real, full scalar of class double.
%     X  a row vector (1-by-N, N may be 0) of class double, full. Only its
%        real part is read.
%
%   Result:
%     Y  a real 1-by-N row vector of class double. Call QUENVOR with exactly
%        one output: as a bare statement it asks for none and is refused.
%
%   Errors (identifier: message):
%     Tessaly:quenvor:nrhs              Two inputs required.
%     Tessaly:quenvor:nlhs              One output required.
%     Tessaly:quenvor:notScalar         Input multiplier must be a scalar.
%         (S is not of class double, is complex, or has other than one element)
%     Tessaly:quenvor:notRowVector      Input must be a row vector.
%         (X has other than one row)
%     Tessaly:quenvor:sparseMultiplier  Input multiplier must be a full scalar,
%                                       not a sparse one.
%     Tessaly:quenvor:notDouble         Input row vector must be of class double.
%     Tessaly:quenvor:sparseRow         Input row vector must be full, not sparse.
%
%   Example:
%     y = quenvor(2, [1 2 3])   % y = [2 4 6]
%
%   This file holds only the help text; the function is the MEX file beside it.
