#include "ui/main/UsageText.h"

QStringList usageLines()
{
    return {
        QStringLiteral("使用方法："),
        QStringLiteral(""),
        QStringLiteral("复制问题（请只复制问题，问题前后不要复制其他字符，问题可只复制一部分，尽量"
                       "不要复制括号"),
        QStringLiteral(
            "如：“ [1].知识的(   )是指人(   ),具体包括知识构成的逻辑过程和(   )。”这题，只复制"),
        QStringLiteral("“具体包括知识构成的逻辑过程和”即可）在输入问题框中粘贴，即可得到答案"),
    };
}
