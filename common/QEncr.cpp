// QEncr: text scrambling by rotating the character codes 32..255 by a fixed shift.
//
// Format notes:
// - With A32 on, codes 0..31 are never touched and never produced, so a scrambled text keeps
//   its line breaks, tabs and terminating zero and has the same length.
// - The working range 32..255 holds 224 codes. Going down past 32 wraps by 224; going below 0
//   (a shift of 32 or more) wraps by 255. Going up past 255 wraps by 255 and, when that lands
//   in 0..31, by another 31. For shifts 0..31 both directions are rotations of the working range
//   and exact inverses of each other; larger shifts are not reversible for every code.
// - Without A32 the whole byte range wraps by 255 (codes 0 and 255 then collide).
#include "QEncr.h"

uint8_t Crypt(uint8_t ASource, uint8_t AShift, bool ALeft, bool A32)
{
    int K = ASource;
    int S = AShift;
    int R;
    if (A32) {
        if (K <= 31) return (uint8_t)K;
        if (ALeft) {
            R = K - S;
            if (R >= 0 && R <= 31) R += 224;
            else if (R < 0) R += 255;
        } else {
            R = K + S;
            if (R > 255) {
                R -= 255;
                if (R < 32) R += 31;
            }
        }
    } else if (ALeft) {
        R = K - S;
        if (R < 0) R += 255;
    } else {
        R = K + S;
        if (R > 255) R -= 255;
    }
    return (uint8_t)R;
}

static string CryptText(const string &S, uint8_t AShift, bool ALeft)
{
    string R(S);
    for (size_t I = 0; I < R.length(); I++)
        R[I] = (char)Crypt((uint8_t)R[I], AShift, ALeft, true);
    return R;
}

string DeCrypt(const string &S, uint8_t AShift) { return CryptText(S, AShift, true); }

string ECrypt(const string &S, uint8_t AShift) { return CryptText(S, AShift, false); }
