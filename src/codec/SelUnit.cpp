#include "codec/SelUnit.h"

TEnhList* NewSelPointList() { return new TEnhList(int(sizeof(TSelPoint))); }

void InstallSelUnitDeleter(TEnhList& list)
{
    list.OnDelete = [](TEnhList* sender, int index) {
        TSelUnit& unit = sender->Item<TSelUnit>(index);
        delete unit.Points;
        unit.Points = nullptr;
    };
}
