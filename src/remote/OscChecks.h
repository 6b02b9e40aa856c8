#pragma once

// Checks made on the bytes of a bundle or message before oscpack opens it,
// for the faults that oscpack itself lets through:
// - a bundle element of negative size, on which opening the bundle may
//   never return;
// - a string (address, type tags, string or symbol argument) whose padding
//   after its terminating zero is not zero, which oscpack measures
//   differently from where the string ends and so misplaces what follows;
// - arguments whose bytes reach past the end of their message, blobs above
//   all, whose sizes oscpack reads and trusts without looking where they end.
// Each throws the exception oscpack raises for malformed input of its kind
// and leaves every other check to oscpack.

// data, size: a bundle's bytes. Throws osc::MalformedBundleException.
void CheckBundleBeforeOpening(const char* data, int size);
// data, size: a message's bytes, size a multiple of 4 (oscpack has checked
// that already). Throws osc::MalformedMessageException.
void CheckMessageBeforeOpening(const char* data, int size);
