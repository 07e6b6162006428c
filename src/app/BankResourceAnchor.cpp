// The library exists only to carry the embedded question bank; Qt's resource registration
// comes with it. This translation unit keeps the library non-empty.
namespace qinglan {
int bankResourceAnchor()
{
    return 0;
}
} // namespace qinglan
