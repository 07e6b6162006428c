#pragma once

// The window layouts name Windows faces ("宋体", "黑体", "Tahoma"). Map each to installed faces
// of the same kind: a Song/Ming face for 宋体, a Hei face for 黑体, a Latin sans-serif face with
// the Song face behind it for Tahoma.
void installFontSubstitutions();
