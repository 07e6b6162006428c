#pragma once

#include <QString>

// The ideographs of GB 2312, the character set question banks are written in, in code order.
// Empty when this Qt cannot decode GB 18030.
namespace Gb2312 {

QString ideographs();

} // namespace Gb2312
