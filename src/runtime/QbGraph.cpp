// The GRAPH unit: default words.
#include "runtime/QbGraph.h"

#include <array>

namespace {
// The index of each routine is its machine routine number minus 512.
constexpr std::array<const char*, QbGraph::WordTotal> DefaultWordList = {
    // 1-10
    "", "", "", "", "", "GETX", "GETY", "GETMAXX", "GETMAXY", "CLEARDEVICE",
    // 11-20
    "", "", "", "", "", "PUTPIXEL", "GETPIXEL", "LINETO", "LINEREL", "MOVETO",
    // 21-30
    "MOVEREL", "LINE", "RECTANGLE", "BAR", "DRAWPOLY", "FILLPOLY", "GETFILLSETTINGS",
    "SETFILLSTYLE", "FLOODFILL", "ARC",
    // 31-40
    "", "CIRCLE", "ELLIPSE", "PIESLICE", "SETBKCOLOR", "SETCOLOR", "GETBKCOLOR", "GETCOLOR", "", "",
    // 41-48
    "", "GETTEXTSETTINGS", "OUTTEXT", "OUTTEXTXY", "SETTEXTJUSTIFY", "SETTEXTSTYLE", "TEXTHEIGHT",
    "TEXTWIDTH"};
} // namespace

std::uint16_t QbGraph::DefaultWords()
{
    return FillDefaults("GRAPH", DefaultWordList.data(), WordTotal);
}

std::uint8_t QbGraph::ModuleNumber(std::uint8_t& /*counter*/)
{
    return 130;
}

std::uint8_t QbGraph::WordCategory() const
{
    return WordStyle::Graph;
}
