#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// A question as users copy it from an exam page: not a clean stem but the whole block, with the
// page's number, a type label and a score around it and the options after it, on lines of their
// own or in one line:
//
//     3、【单选题】职业生涯规划的第一步通常是(    )。（2分）
//     A. 自我评估
//     B. 确定目标
//
// read() takes the block apart: the stem is what is left of the question once the number
// ("3、", "3.", "第3题", "(3)"), the type labels ("【单选题】", "单选题：", "(多选题)", "[判断]"),
// the scores ("（2分）", "(2.0分)", "[3分]") and the answer lines a marked page adds are taken
// off; the options are the runs that begin with the letters A, B, C ... in order, each followed
// by ".", "、", "．", ":", ")" or, at the start of a line, nothing, or written "(A)".
class QuestionBlock {
public:
    static QuestionBlock read(QStringView paste);

    const QString &stem() const { return m_stem; }
    const QStringList &options() const { return m_options; }
    // Whether anything was taken off: when not, the stem is the paste as it was.
    bool changed() const { return m_changed; }

private:
    QString m_stem;
    QStringList m_options;
    bool m_changed = false;
};
