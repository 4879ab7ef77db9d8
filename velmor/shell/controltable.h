#pragma once
// The main window's controls as designed: name, caption and place, in tab order. The window is
// built from this table and its tests check the window against it.

#include <array>

namespace shell {

struct DesignedControl {
    const char* name;
    const char* caption; // UTF-8; empty for a control without one
    // In twips, in the client area's coordinates or, inside Frame1, in the frame's.
    float left, top, width, height;
};

// The window's client area as designed (twips): its first size, and the smallest it takes.
inline constexpr float kDesignedClientWidth = 8100;
inline constexpr float kDesignedClientHeight = 5235;

inline constexpr std::array<DesignedControl, 24> kDesignedControls{{
    {"Label1", "ファイル(&F)：", 120, 135, 930, 180},
    {"txtFile", "", 1155, 90, 5715, 285},
    {"cmdBrws", "参照(&B)...", 7005, 45, 1035, 360},
    {"Frame1", "フィルタの選択(&L)", 150, 600, 6195, 1275},
    {"picFilt(0)", "", 285, 270, 660, 525},
    {"picFilt(1)", "", 1245, 270, 660, 525},
    {"picFilt(2)", "", 2220, 270, 660, 525},
    {"picFilt(3)", "", 3180, 270, 660, 525},
    {"picFilt(4)", "", 4155, 270, 660, 525},
    {"optFilt(0)", "ﾓﾉｸﾛ", 240, 870, 735, 285},
    {"optFilt(1)", "ｾﾋﾟｱ", 1211, 870, 735, 285},
    {"optFilt(2)", "赤", 2182, 870, 735, 285},
    {"optFilt(3)", "青", 3153, 870, 735, 285},
    {"optFilt(4)", "緑", 4125, 855, 735, 285},
    {"cmdPrev", "プレビュー(&P)", 6645, 675, 1365, 390},
    {"cmdMake", "作成(&M)...", 6645, 1095, 1365, 390},
    {"Label2", "元画像", 150, 2025, 540, 180},
    {"labPrev", "プレビュー画像", 4215, 2025, 1155, 180},
    {"picSrc", "", 150, 2280, 3720, 2820},
    {"picPrev", "", 4215, 2280, 3720, 2820},
    {"cmdQuit", "終了(&Q)", 6645, 1515, 1365, 390},
    {"picFilt(5)", "", 5115, 270, 660, 525},
    {"optFilt(5)", "ｶｽﾀﾑ", 5085, 855, 735, 285},
    {"mxbPrv", "", 4185, 2550, 3750, 450},
}};

} // namespace shell
