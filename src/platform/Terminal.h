#pragma once

// Whether the standard output goes to a terminal rather than a file or a pipe; command-line
// tools colour their output only then.
bool standardOutputIsTerminal();
