#pragma once

// The window layouts name Windows faces ("宋体", "黑体", "Tahoma"). Map them to installed faces:
// a Latin face first, then a Song/Ming face so that Chinese renders.
void installFontSubstitutions();
