#pragma once
#include <cstdint>
#include <string>

namespace tetrafot {

// Number texts of the metadata listing. They use the decimal separator of
// the user's regional settings, which tests may replace.

// The separator in use; the system locale's until one is set.
const std::string& MetadataDecimalSeparator();
void SetMetadataDecimalSeparator(char separator);
void SetMetadataDecimalSeparator(const std::string& separator);
// Back to the system locale's separator.
void ResetMetadataDecimalSeparator();

// General floating-point text: at most 15 significant digits, trailing
// zeros dropped, no separator for whole numbers. Magnitudes below 0.00001
// or with more than 15 integer digits use an exponent: "1E-6", "1.5E20",
// "-2.5E-7" (no plus sign, no leading zeros in the exponent).
// Infinities and NaN read "INF", "-INF" and "NAN".
std::string GeneralFloatText(double v);

// Like printf's "%<width>.<decimals>f": padded on the left with blanks.
std::string FixedText(double v, int decimals, int width);

// The text of a RATIONAL/SRATIONAL element. tag selects the two APEX
// conversions: 0x9202 (aperture value to f-number) and 0x9201 (time value
// to seconds). A zero denominator gives the numerator and "/0".
std::string RationalText(double numerator, double denominator, int tag);

} // namespace tetrafot
