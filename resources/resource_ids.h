// Resource ids of Glintmoor's pictures.
//
// The scene's bitmaps keep the numbers the scene code computes them by:
//   101-105  sky gradient strips          121-128  sky bands
//   111-120  cloud blend patterns         183      shadow blend pattern
//   131-138  hills (odd) and masks (even) 141/142  forest strips
//   143/144  trees                        151/152  town skylines
//   153/154  village                      161-164  red house, log cabin
//   165/166  fence                        181/182  snowman
//   201-205  birds, masks 211-215         221/222  plane with banner
// A sprite's mask has the sprite's id + 1 (the birds: + 10).
//
// The pictures of the windows and dialogs have ids of their own, below. The
// button icons are sprites like the scene's: the figure on black, with a
// 1-bit mask (black = figure) under the next id.
#pragma once

namespace gm::res {

inline constexpr int kBanner = 301;           // 130 x 18, the web address in the lower right corner
inline constexpr int kPreview = 302;          // 256 x 192, the still picture of the preview window
inline constexpr int kAboutBackground = 303;  // 356 x 330, the about box's floppy disk
inline constexpr int kAboutLogo = 304;        // 32 x 32, the logo beside the catalogue line
inline constexpr int kIconHomepage = 311;     // 32 x 32 button icons, each followed by its mask
inline constexpr int kIconHomepageMask = 312;
inline constexpr int kIconInfo = 313;
inline constexpr int kIconInfoMask = 314;
inline constexpr int kIconOk = 315;
inline constexpr int kIconOkMask = 316;

inline constexpr int kProgramIconGroup = 1;      // icon group resource of the program icon
inline constexpr int kProgramIconImage = 30001;  // its first image (32 x 32); 16 and 48 follow

}  // namespace gm::res
