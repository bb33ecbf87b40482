#include "ui/common/EntryFieldWidgets.h"

QWidget* EntryFieldWidgets::widgetFor(StoreField field) const
{
    switch (field) {
    case StoreField::Account:
        return account;
    case StoreField::UserName:
        return userName;
    case StoreField::Password:
        return password;
    case StoreField::WebSite:
        return webSite;
    case StoreField::Comment:
        return comment;
    default:
        return nullptr;
    }
}
