#include "resources/ViewKinds.h"

CViewKindInfo GetViewKindInfo(int kind)
{
    const auto shime = [](int resource) { return CViewKindInfo{EViewClass::Shime, resource, resource}; };
    switch (kind) {
    case 0:
        return {EViewClass::Menu, 0, 0};
    case 1:
        return {EViewClass::Master, 145, 404};
    case 2:
    case 3:
        return {EViewClass::Master, 145, 145};
    case 4:
    case 5:
    case 6:
    case 7:
        return {EViewClass::Header, 147, 147};
    case 8:
    case 9:
        return shime(149);
    case 10:
        return shime(153);
    case 11:
        return shime(169);
    case 12:
    case 13:
        return shime(184);
    case 14:
        return shime(190);
    case 15:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
        return shime(197);
    case 16:
        return shime(209);
    case 22:
        return shime(173);
    case 23:
    case 24:
        return shime(192);
    case 33:
        return shime(155);
    case 42:
        return {EViewClass::Shime, 228, 206};
    case 43:
    case 44:
        return shime(206);
    case 45:
    case 46:
        return {EViewClass::Shime, 206, 446};
    default:
        if ((kind >= 25 && kind <= 41) || kind == 47 || kind == 48)
            return shime(151);
        return {EViewClass::Menu, 0, 0};
    }
}
