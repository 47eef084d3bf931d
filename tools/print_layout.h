#pragma once
// The arithmetic of the print window: the page preview's scale, placing the card on the page,
// the typed size in centimetres or inches, and resizing the card with the selection frame.
// Page coordinates are printer device pixels. Sizes typed in a unit become device pixels
// through the printer's own resolution, so a card typed as 10 cm prints 10 cm wide.
#include <cstdint>
#include <optional>
#include <string>

#include "rubberband_layer.h"
#include "types.h"

enum class TPrintPlace { Original, Fit, Fill, Custom };
enum class TPrintUnit { Cm, Inch };

// The blank band the automatic placements keep along every page edge, in device pixels.
constexpr double PrintMargin = 100;

// Device pixels per centimetre or per inch on a device of Dpi dots per inch.
double PixelsPerUnit(TPrintUnit Unit, double Dpi);

// The preview scale at which the whole W x H page fits a ClientW x ClientH view, with a border:
// the fitting scale divided by 1.2.
double FitPageScale(int32_t PageW, int32_t PageH, int32_t ClientW, int32_t ClientH);

// Where the automatic placements put a CardW x CardH card on a PageW x PageH page. Original is
// one device pixel per card pixel centred on (CentreX, CentreY); Fill stretches the card to
// the page inside the margin; Fit is the largest rectangle of the card's proportions inside the
// margin, centred there. Custom gives an empty rectangle (the card stays where it is).
TSingleRect PlaceCard(TPrintPlace Place, int32_t PageW, int32_t PageH, int32_t CardW, int32_t CardH,
                      double CentreX, double CentreY);

// The card's printed width and height in the unit (TransMera): the rounded pixel width and
// height of the location divided by the pixels per unit.
double PrintedWidth(const TSingleRect& Location, double PixelsPerUnit);
double PrintedHeight(const TSingleRect& Location, double PixelsPerUnit);

// The location with the typed size (CorrectSize): right = left + width x k, bottom = top +
// height x k.
TSingleRect SizedLocation(const TSingleRect& Location, double Width, double Height,
                          double PixelsPerUnit);
// The location with a size typed in the print window: Width x Height units about the centre
// of Location, so the card grows or shrinks where it lies instead of from its top-left corner.
TSingleRect CentredSizedLocation(const TSingleRect& Location, double Width, double Height,
                                 double PixelsPerUnit);

// "Соблюдать пропорции": the other side for a card of CardW x CardH.
double HeightForWidth(double Width, int32_t CardW, int32_t CardH);
double WidthForHeight(double Height, int32_t CardW, int32_t CardH);

// The scale box's text: "%" and spaces dropped; 1..2000 becomes the scale in hundredths;
// anything else leaves no value.
std::optional<double> ParseScaleText(const std::string& Text);
// round(Scale x 100) followed by "%".
std::string ScaleText(double Scale);
// One wheel step: up multiplies by 1.1 (at most 20), down divides by 1.1.
double WheelScale(double Scale, bool Up);

// Resizing with the frame (RBResizing): with Ctrl the card is resized about the old centre,
// each half-size at least 2; keeping proportions, bottom = top + round(|right - left| / r), or
// with Ctrl that height centred on the old centre.
// Ratio is the card's width / height. Moving the frame changes nothing.
TSingleRect ResizeCard(const TSingleRect& Old, const TSingleRect& Proposed, TDragState Drag,
                       bool Ctrl, bool KeepProportions, double Ratio);

// The device-pixel rectangle the card is printed into: x = round(left), y = round(top),
// width = |round(right - left)|, height = |round(top - bottom)|.
struct TPrintRect {
  int32_t X = 0, Y = 0, Width = 0, Height = 0;
};
TPrintRect PrintRectangle(const TSingleRect& Location);
