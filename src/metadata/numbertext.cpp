#include "metadata/numbertext.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace tetrafot {

namespace {

std::optional<std::string>& separatorOverride()
{
    static std::optional<std::string> value;
    return value;
}

// Replaces the '.' that std::to_chars writes.
std::string withSeparator(std::string text)
{
    const std::string& sep = MetadataDecimalSeparator();
    if (sep == ".")
        return text;
    std::size_t dot = text.find('.');
    if (dot != std::string::npos)
        text.replace(dot, 1, sep);
    return text;
}

std::string specialText(double v)
{
    if (std::isnan(v))
        return "NAN";
    return v < 0 ? "-INF" : "INF";
}

} // namespace

const std::string& MetadataDecimalSeparator()
{
    auto& value = separatorOverride();
    if (!value) {
        std::string point = QLocale::system().decimalPoint().toStdString();
        value = point.empty() ? std::string(".") : point;
    }
    return *value;
}

void SetMetadataDecimalSeparator(char separator)
{
    separatorOverride() = std::string(1, separator);
}

void SetMetadataDecimalSeparator(const std::string& separator)
{
    separatorOverride() = separator;
}

void ResetMetadataDecimalSeparator()
{
    separatorOverride().reset();
}

std::string GeneralFloatText(double v)
{
    if (!std::isfinite(v))
        return specialText(v);
    if (v == 0)
        return "0";

    // Round to 15 significant digits first; the choice between plain and
    // exponent form is made on the rounded number, as it is shown.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
    std::string sci(buf, res.ptr);
    std::size_t e = sci.find('e');
    int exponent = std::atoi(sci.c_str() + e + 1);
    std::string digits;
    for (std::size_t i = 0; i < e; ++i)
        if (sci[i] != '.')
            digits += sci[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string text = v < 0 ? "-" : "";
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            text += "0.";
            text.append(static_cast<std::size_t>(-exponent - 1), '0');
            text += digits;
        } else {
            std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= intDigits) {
                text += digits;
                text.append(intDigits - digits.size(), '0');
            } else {
                text += digits.substr(0, intDigits);
                text += '.';
                text += digits.substr(intDigits);
            }
        }
    } else {
        text += digits[0];
        if (digits.size() > 1) {
            text += '.';
            text += digits.substr(1);
        }
        text += 'E';
        text += std::to_string(exponent);
    }
    return withSeparator(text);
}

std::string FixedText(double v, int decimals, int width)
{
    std::string text;
    if (!std::isfinite(v)) {
        text = specialText(v);
    } else {
        if (v == 0)
            v = 0; // no "-0.00"
        // Large enough for every double in fixed notation.
        char buf[400];
        auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
        text = withSeparator(std::string(buf, res.ptr));
    }
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

std::string RationalText(double numerator, double denominator, int tag)
{
    if (denominator == 0) {
        char buf[32];
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<std::int64_t>(numerator));
        return std::string(buf, res.ptr) + "/0";
    }
    double v = numerator / denominator;
    if (tag == 0x9202)
        v = std::pow(1.4142135, v); // APEX aperture value -> f-number
    else if (tag == 0x9201)
        v = std::pow(2.0, -v); // APEX time value -> seconds
    if (v >= 1 || v <= 0 || std::isnan(v))
        return FixedText(v, 2, 4);
    return "1/" + FixedText(1 / v, 2, 4);
}

} // namespace tetrafot
