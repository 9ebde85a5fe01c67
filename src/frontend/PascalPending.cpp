// Pascal front-end slots whose constructs are not read yet: each is refused with error 240.
// A routine leaves this file when its construct family is written.
#include "frontend/QbPascalSyntaxe.h"

bool QbPascalSyntaxe::Compatible(std::uint16_t targetType, std::uint16_t sourceType,
                                 std::uint16_t, std::uint16_t, std::int32_t, std::int32_t)
{
    return targetType == sourceType;
}
