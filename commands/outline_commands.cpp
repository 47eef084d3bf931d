#include "outline_commands.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "bitmap_layer.h"
#include "card_document.h"
#include "card_runner.h"
#include "layer_commands.h"
#include "program_paths.h"
#include "undo.h"

std::string PatternFileName(const std::string& DataDir, int32_t N) {
  return DataDir + "/Patterns/pat" + std::to_string(N) + ".bmp";
}

bool LoadPattern(const std::string& FileName, TBitmap32& Pattern) {
  std::error_code Ec;
  if (!std::filesystem::is_regular_file(FileName, Ec)) {
    Pattern.SetSize(0, 0);
    return false;
  }
  Pattern.LoadFromFile(FileName);
  return true;
}

namespace {

// Clears the selection, lets the window release the mouse capture, and selects Layer again.
void Reselect(TCardDocument& Doc, TBitmapLayer* Layer, const TReleaseCapture& Release) {
  Doc.SetSelection(nullptr);
  if (Release)
    Release();
  Doc.SetSelection(Layer);
}

}  // namespace

void BorderStep(TCardDocument& Doc, const TBorderParams& P, const TReleaseCapture& Release) {
  TBitmapLayer* L = Doc.SelectedBitmapLayer();
  TBitmap32& Target = L != nullptr ? *L->Bitmap() : Doc.Canvas();
  if (Target.IsEmpty())
    return;
  AddBorder(Target, P);
  if (L == nullptr)
    return;
  TSingleRect R = L->Location();
  const auto Grow = static_cast<float>(2 * std::max(P.Width, 1));
  R.Right += Grow;
  R.Bottom += Grow;
  L->SetLocation(R);
  Reselect(Doc, L, Release);
}

void ReliefStep(TCardDocument& Doc, const TReliefParams& P) {
  if (TBitmapLayer* L = Doc.SelectedBitmapLayer())
    ReliefContour(*L->Bitmap(), P);
}

void ButtonStep(TCardDocument& Doc, const TButtonParams& P) {
  if (TBitmap32* B = EffectTarget(Doc).Bitmap)
    ButtonBevel(*B, P);
}

// ==== the dialogs' session ====

void TOutlineSession::Restore() {
  if (FCopy.IsLayer() && FDoc.SelectedBitmapLayer() == nullptr)
    return;
  if (TBitmapLayer* L = FCopy.PutBack(FDoc))
    Reselect(FDoc, L, OnReleaseCapture);
}

void TOutlineSession::Preview(const std::function<void()>& Step) {
  Restore();
  Step();
}

void TOutlineSession::Ok(const std::function<void()>& Step) {
  Restore();
  TCardRunner(FDoc, &FUndo).Run(OutlineStep, Step);
}

void TOutlineSession::Cancel() {
  Restore();
}

// ==== the pick mode ====

bool PickModePress(TCardDocument& Doc, TLayerCommands& Commands, TPoint P) {
  const TBitmapLayer* L = Doc.SelectedBitmapLayer();
  if (L == nullptr)
    return false;
  const TSingleRect& R = L->Location();
  const double X = P.X, Y = P.Y;
  if (X < std::min(R.Left, R.Right) || X >= std::max(R.Left, R.Right) ||
      Y < std::min(R.Top, R.Bottom) || Y >= std::max(R.Top, R.Bottom))
    return false;
  return Commands.PickTransparentColor(P);
}

bool PickModeHover(TCardDocument& Doc, const TCustomLayer* Hovered, TPoint P, TColor32& Colour) {
  const TBitmapLayer* L = Doc.SelectedBitmapLayer();
  if (Hovered == nullptr || L == nullptr)
    return false;
  Colour = PickColor(*L, P);
  return true;
}

// ==== the batch tool ====

namespace {

// The folder of the running executable, where the data folders live beside the program.
std::string ExecutableDir() {
  std::error_code Ec;
  const std::filesystem::path Exe = std::filesystem::read_symlink("/proc/self/exe", Ec);
  return Ec ? std::string(".") : Exe.parent_path().string();
}

TColor32 Opaque(int32_t Rgb) {
  return 0xFF000000u | static_cast<TColor32>(Rgb);
}

TBitmapLayer& RequireLayer(TCardDocument& Doc, const char* Command) {
  TBitmapLayer* L = Doc.SelectedBitmapLayer();
  if (L == nullptr)
    throw EEffectCommandError(std::string(Command) +
                              ": работает только на слое-картинке, нужен layer=N");
  return *L;
}

void RunBorder(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  const std::vector<int32_t>& V = Call.Values;
  TBorderParams P;
  P.Width = V[0];
  P.Contour = V[1];
  if (P.Contour >= P.Width)
    throw EEffectCommandError("Border: contour=" + std::to_string(P.Contour) +
                              " должен быть меньше width=" + std::to_string(P.Width));
  P.BorderColour = Opaque(V[2]);
  P.ContourColour = Opaque(V[3]);
  TBitmap32 Pattern;
  const std::string Folder = Call.Texts[5];
  if (Call.Given[5]) {
    std::error_code Ec;
    if (Folder.empty())
      throw EEffectCommandError("Border: patterns= не может быть пустым");
    if (!std::filesystem::exists(Folder, Ec))
      throw EEffectCommandError("Border: patterns=" + Folder + ": папка не найдена");
    if (!std::filesystem::is_directory(Folder, Ec))
      throw EEffectCommandError("Border: patterns=" + Folder + ": это не папка");
  }
  if (V[4] > 0) {
    const std::string File =
        Folder.empty() ? PatternFileName(ResolveProgramPaths(ExecutableDir()).DataDir, V[4])
                       : Folder + "/pat" + std::to_string(V[4]) + ".bmp";
    LoadPattern(File, Pattern);
    P.UseOrnament = true;
    P.Pattern = &Pattern;
  }
  StartChange(Start);
  BorderStep(Doc, P);
}

void RunRelief(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  RequireLayer(Doc, "Relief");
  const std::vector<int32_t>& V = Call.Values;
  StartChange(Start);
  ReliefStep(Doc, {V[0], V[1] != 0, V[2], Opaque(V[3])});
}

void RunButton(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  const std::vector<int32_t>& V = Call.Values;
  TBitmap32* B = EffectTarget(Doc).Bitmap;
  // Without depth= the depth the dialog opens with for this picture.
  const int32_t Depth = V[1] != 0 ? V[1] : ButtonDepthFor(B != nullptr ? B->Width() : 0);
  StartChange(Start);
  ButtonStep(Doc, {V[0], Depth, V[2] != 0});
}

void RunTransparentColor(TCardDocument& Doc, const TCardCall& Call, const TChangeStart& Start) {
  RequireLayer(Doc, "TransparentColor");
  StartChange(Start);
  // The runner's step is the edit's.
  TLayerCommands Commands(Doc, nullptr);
  Commands.ApplyTransparentColor(Opaque(Call.Values[0]));
}

}  // namespace

std::vector<TCardCommand> OutlineCommands() {
  return {
      {.Name = "Border",
       .Format = efDocument,
       .Keys = {{"width", 1, 1000},
                {"contour", 0, 999},
                {"color", 0, 0, ekColor, {}, true, 0x0055E3},
                {"contourcolor", 0, 0, ekColor, {}, true, 0xFFFFFF},
                {"pattern", 0, PatternCount, ekInteger, {}, true, 0},
                {"patterns", 0, 0, ekText, {}, true}},
       .Run = &RunBorder,
       .Step = OutlineStep},
      {.Name = "Relief",
       .Format = efDocument,
       .Keys = {{"percent", 1, 39},
                {"outer", 0, 1, ekInteger, {}, true, 0},
                {"border", 0, 100, ekInteger, {}, true, 0},
                {"color", 0, 0, ekColor, {}, true, 0xC0C0C0}},
       .Run = &RunRelief,
       .Step = OutlineStep},
      {.Name = "Button",
       .Format = efDocument,
       .Keys = {{"width", 1, 9},
                {"depth", 1, 16, ekInteger, {}, true, 0},
                {"inner", 0, 1, ekInteger, {}, true, 0}},
       .Run = &RunButton,
       .Step = OutlineStep},
      {.Name = "TransparentColor",
       .Format = efDocument,
       .Keys = {{"color", 0, 0, ekColor}},
       .Run = &RunTransparentColor,
       .Step = usTransparentColour},
  };
}
