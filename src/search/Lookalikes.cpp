#include "search/Lookalikes.h"

#include "search/LookalikeData.h"

#include <algorithm>
#include <iterator>

namespace {

bool isDigit(char16_t u)
{
    return (u >= u'0' && u <= u'9') || (u >= u'０' && u <= u'９');
}

bool isIn(char16_t u, std::u16string_view set)
{
    return set.find(u) != std::u16string_view::npos;
}

// Number words: a question about 三级 is not one about 四级. 千 and 干 stay look-alikes, since
// only a change between two number words is a change of number.
constexpr std::u16string_view kNumberWords =
    u"〇零一二三四五六七八九十百千万亿两壹贰叁肆伍陆柒捌玖拾佰仟半双";
// Negations. 未 is left out: its look-alike 末 negates nothing, and 未来 read as 末来 is the
// misreading the rule is for.
constexpr std::u16string_view kNegations = u"不非无没否勿莫别";
// Ordinal stems that name the parties of a case (甲公司, 乙方).
constexpr std::u16string_view kOrdinals = u"甲乙丙丁";
// Pairs whose characters look alike and mean opposite or different things in a question. 歪 is
// 不 over 正; 中报 and 申报 are two different reports. The recogniser confuses the last five on
// degraded pictures, but each makes two common words with the same neighbour (重叠/重要,
// 图形/圆形, 后继/后缀, 这时/逾时, 追及/遍及), so a copy holding the one is another question.
constexpr std::u16string_view kOppositePairs[] = {
    u"买卖", u"授受", u"左右", u"大小", u"上下", u"早旱", u"入出", u"已未", u"增减",
    u"升降", u"正歪", u"中申", u"叠要", u"图圆", u"继缀", u"这逾", u"追遍"};

struct Pair {
    char16_t low;
    char16_t high;
    bool operator<(const Pair &other) const
    {
        return low != other.low ? low < other.low : high < other.high;
    }
};

} // namespace

bool Lookalikes::areLookalike(char16_t a, char16_t b)
{
    if (a == b)
        return false;
    const Pair wanted{qMin(a, b), qMax(a, b)};
    const auto *pairs = reinterpret_cast<const Pair *>(kLookalikePairs);
    static_assert(sizeof(Pair) == 2 * sizeof(char16_t));
    return std::binary_search(pairs, pairs + kLookalikePairCount, wanted);
}

bool Lookalikes::changesMeaning(char16_t a, char16_t b)
{
    if (isDigit(a) || isDigit(b))
        return true;
    if (isIn(a, kNumberWords) && isIn(b, kNumberWords))
        return true;
    if (isIn(a, kNegations) || isIn(b, kNegations) || isIn(a, kOrdinals) || isIn(b, kOrdinals))
        return true;
    return std::any_of(std::begin(kOppositePairs), std::end(kOppositePairs), [&](auto pair) {
        return (pair[0] == a && pair[1] == b) || (pair[0] == b && pair[1] == a);
    });
}

bool Lookalikes::canBeMisread(char16_t bank, char16_t copied)
{
    return areLookalike(bank, copied) && !changesMeaning(bank, copied);
}
