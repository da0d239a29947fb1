// FieldList: name index, dictionary fields, calculated fields, heading text
// and record data length.

#include <gtest/gtest.h>

#include <cstring>

#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "TestSupport.h"

using fieldtest::MakeField;

namespace {

std::unique_ptr<FieldAttributes> Field(const char* name, uint8_t type, int offset, int length, int width) {
    auto field = std::make_unique<FieldAttributes>(MakeField(type, length, 2, width, offset));
    field->name = name;
    return field;
}

TEST(FieldAttributes, FromDictionaryRecord) {
    auto field = FieldAttributes::FromDictionary("Order Date          ", kTypeDate, 10, 4, 0x0400, 17, 3);
    EXPECT_EQ(field->name.ToStdString(), "Order_Date");
    EXPECT_EQ(field->offset, 10);
    EXPECT_EQ(field->dictionaryOffset, 10);
    EXPECT_EQ(field->length, 4);
    EXPECT_EQ(field->flags, 0x0400);
    EXPECT_EQ(field->id, 17);
    EXPECT_EQ(field->decimals, 2);  // 2 for every type but Decimal
    EXPECT_EQ(field->width, 10);
    EXPECT_TRUE(field->selected);
    EXPECT_EQ(field->join, nullptr);
    EXPECT_TRUE(field->formula.IsEmpty());

    auto decimal = FieldAttributes::FromDictionary("Price", kTypeDecimal, 0, 5, 0, 1, 3);
    EXPECT_EQ(decimal->decimals, 3);
    EXPECT_EQ(decimal->width, 12);
}

TEST(FieldAttributes, CalculatedWidthNeverNarrowerThanTheName) {
    EXPECT_EQ(FieldAttributes::Calculated("TotalPrice", 5, "a*b", 2)->width, 10);
    EXPECT_EQ(FieldAttributes::Calculated("TotalPrice", -5, "a*b", 2)->width, -10);
    EXPECT_EQ(FieldAttributes::Calculated("Tot", 12, "a*b", 2)->width, 12);
    auto field = FieldAttributes::Calculated("Tot", 12, "a*b", 4);
    EXPECT_EQ(field->type, kTypeCalculated);
    EXPECT_EQ(field->formula.ToStdString(), "a*b");
    EXPECT_EQ(field->decimals, 4);
    EXPECT_EQ(field->length, 0);
    // Copies carry the formula.
    FieldAttributes copy = *field;
    field->formula = "changed";
    EXPECT_EQ(copy.formula.ToStdString(), "a*b");
}

TEST(FieldList, FindIgnoresCaseAndFirstOfEqualNamesWins) {
    FieldList list;
    FieldAttributes* order = list.Add(Field("Order_Date", kTypeDate, 0, 4, 10));
    FieldAttributes* id = list.Add(Field("Id", kTypeInteger, 4, 4, 11));
    FieldAttributes* twin = list.Add(Field("ORDER_DATE", kTypeDate, 8, 4, 10));
    EXPECT_EQ(order->owner, &list);
    EXPECT_EQ(list.Find("order_date"), order);
    EXPECT_EQ(list.Find("ID"), id);
    EXPECT_EQ(list.Find("Order"), nullptr);
    EXPECT_EQ(list.Find(""), nullptr);
    ASSERT_TRUE(list.Remove("Order_date"));
    EXPECT_EQ(list.Find("order_date"), twin);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_FALSE(list.Remove("nothing"));
}

TEST(FieldList, OrderFindByIdTakeAndMove) {
    FieldList list;
    for (int i = 0; i < 5; ++i) {
        auto field = Field(Estring::Format("F%d", i).Text(), kTypeInteger, i * 2, 2, 6);
        field->id = static_cast<uint16_t>(100 + i);
        list.Add(std::move(field));
    }
    EXPECT_EQ(list.FindById(103), list.Get(3));
    EXPECT_EQ(list.FindById(7), nullptr);
    EXPECT_EQ(list.Get(5), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
    list.Move(4, 1);
    EXPECT_EQ(list.Get(1)->name.ToStdString(), "F4");
    EXPECT_EQ(list.Get(4)->name.ToStdString(), "F3");
    std::unique_ptr<FieldAttributes> taken = list.Take(list.Find("F2"));
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->owner, nullptr);
    EXPECT_EQ(list.Find("F2"), nullptr);
    EXPECT_EQ(list.IndexOf(taken.get()), -1);
    FieldAttributes* back = list.Insert(0, std::move(taken));
    EXPECT_EQ(list.Get(0), back);
    EXPECT_EQ(list.Find("f2"), back);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Find("F1"), nullptr);
}

TEST(FieldList, HeadingLines) {
    FieldList list;
    list.Add(Field("Name", kTypeString, 0, 10, -10));
    list.Add(Field("Qty", kTypeInteger, 10, 2, 8));
    FieldAttributes* hidden = list.Add(Field("Hidden", kTypeInteger, 12, 2, 6));
    hidden->selected = false;
    list.Add(Field("Cust.City", kTypeString, 0, 6, -6));
    list.Add(Field("Orders.TotalAmount", kTypeFloat, 0, 8, 9));
    EXPECT_EQ(list.HeadingText(1).ToStdString(), std::string(10, ' ') + " " + std::string(8, ' ') + " " +
                                                     "Cust  " + " " + "   Orders");
    EXPECT_EQ(list.HeadingText(2).ToStdString(), "Name      " + std::string(" ") + "     Qty" + " " + "City  " +
                                                     " " + "talAmount");
}

TEST(FieldList, RecordDataLength) {
    FieldList list;
    list.Add(Field("A", kTypeInteger, 0, 4, 11));
    list.Add(Field("Note", kTypeNote, 4, 20, -19));
    FieldAttributes* calc = list.Add(FieldAttributes::Calculated("C", 5, "A*2", 2));
    (void)calc;
    uint8_t record[24] = {};
    std::memcpy(record + 4, "hello", 5);
    EXPECT_EQ(list.RecordDataLength(record, 24), 4 + 5 + 1);
    // A Note without its zero byte is in use to the end of the field (or of
    // the record when that comes first), never past it.
    std::memset(record + 4, 'x', 20);
    EXPECT_EQ(list.RecordDataLength(record, 24), 4 + 20);
    EXPECT_EQ(list.RecordDataLength(record, 10), 10);
    record[23] = 0;  // the zero in the field's last byte
    EXPECT_EQ(list.RecordDataLength(record, 24), 24);

    FieldList plain;
    plain.Add(Field("A", kTypeInteger, 0, 4, 11));
    plain.Add(Field("B", kTypeString, 4, 10, -10));
    EXPECT_EQ(plain.RecordDataLength(record, 24), 14);
    FieldList none;
    EXPECT_EQ(none.RecordDataLength(record, 24), 0);
}

TEST(FieldList, FieldsFromAStoreAreDestroyedWithIt) {
    FAStore store;
    store.Append(std::make_unique<FieldAttributes>(MakeField(kTypeString, 3)));
    store.Append(std::make_unique<FieldAttributes>(MakeField(kTypeInteger, 2)));
    EXPECT_EQ(store.Count(), 2);
    EXPECT_EQ(store.Get(1)->type, kTypeInteger);
}

}  // namespace
