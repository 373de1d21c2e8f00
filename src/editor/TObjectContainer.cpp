#include "TObjectContainer.h"

void TObjectContainer::Notify(int a, int b) {
    for (int i = Count() - 1; i >= 0; --i) {
        if (i >= Count()) continue;  // a handler freed more than itself
        if (auto* item = dynamic_cast<TContainerItem*>(Item(i))) item->Notification(a, b);
    }
}
