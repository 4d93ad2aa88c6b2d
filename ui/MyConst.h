#pragma once
// TMyCon: the small helper object behind the diagnostic button "クラス呼び出し".

#include <QString>

namespace vk47 {

class TMyCon {
 public:
  // The decimal text of a number: 1 gives "1".
  QString NumberToText(int number) const;
};

}  // namespace vk47
