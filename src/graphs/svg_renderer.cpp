#include "graphs/svg_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/windows1252.h"

namespace olvar::graphs {

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
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool finite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The corners of a box in any order as x, y, width, height.
std::string box_attributes(double x1, double y1, double x2, double y2) {
  return "x=\"" + number(std::min(x1, x2)) + "\" y=\"" + number(std::min(y1, y2)) + "\" width=\"" +
         number(std::abs(x2 - x1)) + "\" height=\"" + number(std::abs(y2 - y1)) + "\"";
}

std::string svg_step(const Line& line) {
  if (!finite({line.x1, line.y1, line.x2, line.y2, line.width})) return {};
  std::string out = "<line x1=\"" + number(line.x1) + "\" y1=\"" + number(line.y1) + "\" x2=\"" +
                    number(line.x2) + "\" y2=\"" + number(line.y2) + "\" stroke=\"" +
                    colour(line.colour) + "\" stroke-width=\"" + number(line.width) + "\"";
  if (line.dotted) out += " stroke-dasharray=\"1,2\"";
  return out + "/>\n";
}

std::string svg_step(const Box& box) {
  if (!finite({box.x1, box.y1, box.x2, box.y2})) return {};
  const std::string fill = box.fill == Fill::none          ? "none"
                           : box.fill == Fill::cross_hatch ? "url(#cross)"
                                                           : colour(box.fill_colour);
  std::string out =
      "<rect " + box_attributes(box.x1, box.y1, box.x2, box.y2) + " fill=\"" + fill + "\"";
  if (box.outline) out += " stroke=\"black\"";
  return out + "/>\n";
}

std::string svg_step(const Ellipse& e) {
  if (!finite({e.x1, e.y1, e.x2, e.y2})) return {};
  return "<ellipse cx=\"" + number((e.x1 + e.x2) / 2) + "\" cy=\"" + number((e.y1 + e.y2) / 2) +
         "\" rx=\"" + number(std::abs(e.x2 - e.x1) / 2) + "\" ry=\"" +
         number(std::abs(e.y2 - e.y1) / 2) + "\" fill=\"" + colour(e.fill_colour) + "\"/>\n";
}

std::string svg_step(const Text& text) {
  if (!finite({text.x, text.y, text.size})) return {};
  // Text is placed by its top; SVG places it by its baseline.
  std::string out = "<text x=\"" + number(text.x) + "\" y=\"" + number(text.y + text.size * 1.1) +
                    "\" font-family=\"" + escaped(text.font) + "\" font-size=\"" +
                    number(text.size * 96 / 72) + "px\"";
  if (text.bold) out += " font-weight=\"bold\"";
  return out + " xml:space=\"preserve\">" + escaped(text.text) + "</text>\n";
}

}  // namespace

std::string svg_of(const Drawing& drawing, double scale) {
  if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
  const std::string width = number(drawing.width * scale);
  const std::string height = number(drawing.height * scale);
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width + "\" height=\"" + height +
         "\" viewBox=\"0 0 " + width + " " + height + "\">\n";
  out +=
      "<defs><pattern id=\"cross\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\">"
      "<rect width=\"8\" height=\"8\" fill=\"white\"/>"
      "<path d=\"M0,0 L8,8 M8,0 L0,8\" stroke=\"black\" stroke-width=\"1\"/></pattern>"
      "<clipPath id=\"surface\"><rect width=\"" +
      number(drawing.width) + "\" height=\"" + number(drawing.height) + "\"/></clipPath></defs>\n";
  out += "<g clip-path=\"url(#surface)\"";
  if (scale != 1) out += " transform=\"scale(" + number(scale) + ")\"";
  out += ">\n";
  for (const Step& step : drawing.steps) {
    out += std::visit([](const auto& s) { return svg_step(s); }, step);
  }
  out += "</g>\n</svg>\n";
  return out;
}

}  // namespace olvar::graphs
