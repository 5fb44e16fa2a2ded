#include "platform/fonts.h"

#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "elements/frame.h"

namespace quendar {

namespace {

// The layouts were drawn with Windows' MS Mincho and MS Gothic; these are the free faces
// closest to them in shape and metrics, best first.
const std::vector<std::string> kMinchoFaces = {"IPAMincho", "IPAexMincho", "Noto Serif CJK JP"};
const std::vector<std::string> kGothicFaces = {"IPAGothic", "IPAexGothic", "Noto Sans CJK JP"};

const std::vector<std::string> kLatinFaces = {"DejaVu Sans", "Noto Sans", "Liberation Sans"};

const FcChar8* U8(const std::string& s) {
  return reinterpret_cast<const FcChar8*>(s.c_str());
}

std::string Str(FcPattern* p, const char* object, int n = 0) {
  FcChar8* s = nullptr;
  if (FcPatternGetString(p, object, n, &s) != FcResultMatch || !s) return {};
  return reinterpret_cast<const char*>(s);
}

// Runs a fontconfig match and accepts the result only if `accept` likes it.
template <typename Accept>
std::optional<FontFace> Match(FcConfig* config, FcPattern* pattern, Accept accept) {
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (!found) return std::nullopt;
  std::optional<FontFace> face;
  FcBool scalable = FcFalse;
  const std::string file = Str(found, FC_FILE);
  if (!file.empty() && FcPatternGetBool(found, FC_SCALABLE, 0, &scalable) == FcResultMatch &&
      scalable && accept(found)) {
    int index = 0;
    FcPatternGetInteger(found, FC_INDEX, 0, &index);
    face = FontFace{file, index, Str(found, FC_FAMILY), false};
  }
  FcPatternDestroy(found);
  return face;
}

std::optional<FontFace> MatchNamed(FcConfig* config, const std::vector<std::string>& names,
                                   const char* lang = "ja") {
  FcPattern* p = FcPatternCreate();
  for (const auto& n : names)
    FcPatternAddString(p, FC_FAMILY, U8(n));
  FcPatternAddString(p, FC_LANG, U8(lang));
  return Match(config, p, [&](FcPattern* found) {
    for (int i = 0;; ++i) {
      const std::string family = Str(found, FC_FAMILY, i);
      if (family.empty()) return false;
      for (const auto& n : names)
        if (family == n) return true;
    }
  });
}

std::optional<FontFace> MatchJapanese(FcConfig* config, bool mincho) {
  FcPattern* p = FcPatternCreate();
  FcPatternAddString(p, FC_FAMILY, U8(mincho ? "serif" : "sans-serif"));
  FcPatternAddString(p, FC_LANG, U8("ja"));
  return Match(config, p, [](FcPattern* found) {
    FcLangSet* langs = nullptr;
    return FcPatternGetLangSet(found, FC_LANG, 0, &langs) == FcResultMatch &&
           FcLangSetHasLang(langs, U8("ja")) != FcLangDifferentLang;
  });
}

}  // namespace

std::function<bool(char32_t)> StrokeOrderGlyphs(FcConfig* config) {
  FcPattern* p = FcPatternCreate();
  FcPatternAddString(p, FC_FAMILY, U8(kStrokeFace));
  std::shared_ptr<FcCharSet> kept;
  Match(config, p, [&](FcPattern* found) {
    FcCharSet* chars = nullptr;
    if (Str(found, FC_FAMILY) != kStrokeFace ||
        FcPatternGetCharSet(found, FC_CHARSET, 0, &chars) != FcResultMatch || !chars)
      return false;
    kept.reset(FcCharSetCopy(chars), FcCharSetDestroy);
    return true;
  });
  if (!kept) return {};
  return [kept](char32_t c) { return FcCharSetHasChar(kept.get(), c) == FcTrue; };
}

bool IsMinchoFamily(const std::string& family) {
  return family.find("明朝") != std::string::npos || family.find("Mincho") != std::string::npos ||
         family.find("Serif") != std::string::npos;
}

FontLibrary::FontLibrary(FcConfig* config) : config_(config) {
  if (config_) FcConfigReference(config_);
  if (TTF_Init() != 0) throw FontError(std::string("cannot start SDL_ttf: ") + TTF_GetError());
}

FontLibrary::~FontLibrary() {
  open_.clear();  // closed before SDL_ttf itself
  TTF_Quit();
  if (config_) FcConfigDestroy(config_);
}

const FontFace& FontLibrary::Face(const std::string& family) {
  if (auto it = faces_.find(family); it != faces_.end()) return it->second;
  if (family == kLatinFace) {
    // The study strip's Latin text; without any of these the Gothic face draws it.
    if (auto face = MatchNamed(config_, kLatinFaces, "en"))
      return faces_.emplace(family, *face).first->second;
    return faces_.emplace(family, Face("ＭＳ ゴシック")).first->second;
  }
  if (family == kStrokeFace) {
    // The kanji card's numbered strokes; without the face its kanji are plain Mincho.
    if (auto face = MatchNamed(config_, {kStrokeFace}, "en"))
      return faces_.emplace(family, *face).first->second;
    return faces_.emplace(family, Face("ＭＳ 明朝")).first->second;
  }
  const bool mincho = IsMinchoFamily(family);
  std::vector<std::string> names{family};
  for (const auto& n : mincho ? kMinchoFaces : kGothicFaces)
    names.push_back(n);
  std::optional<FontFace> face = MatchNamed(config_, names);
  if (!face) {
    face = MatchJapanese(config_, mincho);
    if (!face) {
      throw FontError(
          "no Japanese font is installed, so the game cannot draw its text. Install the "
          "Debian packages fonts-ipafont-mincho and fonts-ipafont-gothic "
          "(sudo apt-get install fonts-ipafont-mincho fonts-ipafont-gothic).");
    }
    face->substitute = true;
    if (!warnedSubstitute_) {
      warnedSubstitute_ = true;
      std::cerr << "quendar: the IPA Mincho and Gothic fonts are not installed; drawing \""
                << family << "\" with " << face->family << " (" << face->file
                << "). Install fonts-ipafont-mincho and fonts-ipafont-gothic for the intended "
                   "look.\n";
    }
  }
  return faces_.emplace(family, *face).first->second;
}

TTF_Font* FontLibrary::Open(const std::string& family, int px, bool bold) {
  const FontFace& face = Face(family);
  if (px < 1) px = 1;
  const auto key = std::make_tuple(face.file, face.index, px, bold);
  if (auto it = open_.find(key); it != open_.end()) {
    it->second.used = true;
    return it->second.font.get();
  }
  FontPtr font(TTF_OpenFontIndex(face.file.c_str(), px, face.index));
  if (!font) throw FontError("cannot open the font " + face.file + ": " + TTF_GetError());
  if (bold) TTF_SetFontStyle(font.get(), TTF_STYLE_BOLD);
  return open_.emplace(key, Opened{std::move(font), true}).first->second.font.get();
}

void FontLibrary::Trim() {
  // A handful of sizes stay open whatever happens: the layouts use about six.
  const bool prune = open_.size() > 12;
  for (auto it = open_.begin(); it != open_.end();) {
    if (prune && !it->second.used) {
      it = open_.erase(it);
    } else {
      it->second.used = false;
      ++it;
    }
  }
}

}  // namespace quendar
