#include "foodsecurity/drawing.h"

#include <cstdio>

#include "core/windows1252.h"

namespace olvar::foodsecurity {

namespace {

std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

std::string colour(Rgb rgb) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", rgb.red, rgb.green, rgb.blue);
  return buffer;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : core::windows1252_to_utf8(text)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::string svg_of(const Drawing& drawing) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(drawing.width) +
         "\" height=\"" + number(drawing.height) + "\" viewBox=\"0 0 " + number(drawing.width) +
         " " + number(drawing.height) + "\">\n";
  out += "<defs><pattern id=\"cross\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\">"
         "<rect width=\"8\" height=\"8\" fill=\"white\"/>"
         "<path d=\"M0,0 L8,8 M8,0 L0,8\" stroke=\"black\" stroke-width=\"1\"/></pattern></defs>\n";
  for (const Step& step : drawing.steps) {
    if (const auto* line = std::get_if<Line>(&step)) {
      out += "<line x1=\"" + number(line->x1) + "\" y1=\"" + number(line->y1) + "\" x2=\"" +
             number(line->x2) + "\" y2=\"" + number(line->y2) + "\" stroke=\"" +
             colour(line->colour) + "\" stroke-width=\"" + number(line->width) + "\"/>\n";
    } else if (const auto* box = std::get_if<Box>(&step)) {
      const std::string fill = box->fill == Fill::none          ? "none"
                               : box->fill == Fill::cross_hatch ? "url(#cross)"
                                                                : colour(box->fill_colour);
      out += "<rect x=\"" + number(box->x1) + "\" y=\"" + number(box->y1) + "\" width=\"" +
             number(box->x2 - box->x1) + "\" height=\"" + number(box->y2 - box->y1) +
             "\" fill=\"" + fill + "\"";
      if (box->outline) out += " stroke=\"black\"";
      out += "/>\n";
    } else if (const auto* text = std::get_if<Text>(&step)) {
      // Text is placed by its top; SVG places it by its baseline.
      out += "<text x=\"" + number(text->x) + "\" y=\"" + number(text->y + text->size * 1.1) +
             "\" font-family=\"" + escaped(text->font) + "\" font-size=\"" +
             number(text->size * 96 / 72) + "px\"";
      if (text->bold) out += " font-weight=\"bold\"";
      out += " xml:space=\"preserve\">" + escaped(text->text) + "</text>\n";
    }
  }
  out += "</svg>\n";
  return out;
}

}  // namespace olvar::foodsecurity
