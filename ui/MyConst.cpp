#include "ui/MyConst.h"

namespace vk47 {

QString TMyCon::NumberToText(int number) const { return QString::number(number); }

}  // namespace vk47
