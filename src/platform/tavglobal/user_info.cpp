#include "platform/tavglobal/user_info.h"

namespace tavglobal {

UserInfo::~UserInfo() = default;

}  // namespace tavglobal
