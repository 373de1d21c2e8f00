#include <gtest/gtest.h>

#include "base/Exception.h"
#include "sqlite/MapDeclaredType.h"

TEST(MapDeclaredType, DeclaredTypesGiveKindSizeAndPrecision) {
    struct Case {
        const char* declared;
        TFieldType kind;
        int32_t size;
        int32_t precision;
    };
    const Case cases[] = {
        {"VARCHAR(20)", ftString, 20, 0}, {"char(1)", ftString, 1, 0}, {"varchar2( 7 )", ftString, 7, 0},
        {"varchar (20)", ftString, 255, 0},  // blank before '('
        {"NCHAR(5)", ftWideString, 10, 0}, {"nvarchar(100)", ftWideString, 200, 0}, {"numeric(10,2)", ftFloat, 10, 2},
        {"numeric(10.2)", ftFloat, 10, 2}, {"numeric(10, 2)", ftFloat, 10, 2}, {"numeric(8)", ftFloat, 8, 0},
        {"numeric(12,345)", ftFloat, 12, 34}, {"decimal(10,2)", ftString, 255, 0}, {"varchar(10", ftString, 256, 0},
        {"Integer", ftInteger, 12, 0}, {"int", ftInteger, 12, 0}, {"integer primary key", ftString, 255, 0},
        {"", ftString, 255, 0}, {"string", ftString, 512, 0}, {"TEXT", ftString, 512, 0},
        {"date", ftDate, 10, 0}, {"DateTime", ftDateTime, 24, 0}, {"time", ftTime, 12, 0},
        {"logical", ftBoolean, 1, 0}, {"real", ftFloat, 17, 0}, {"money", ftCurrency, 17, 0},
        {"widetext", ftWideString, 1024, 0}, {"clob", ftMemo, 4, 0}, {"blob", ftBlob, 4, 0},
        {"graphic", ftGraphic, 4, 0}, {"varchar", ftString, 255, 0}, {"varchar(-3)", ftString, 0, 0},
    };
    for (const Case& c : cases) {
        const TDeclaredType t = MapDeclaredType(c.declared);
        EXPECT_EQ(t.kind, c.kind) << c.declared;
        EXPECT_EQ(t.size, c.size) << c.declared;
        EXPECT_EQ(t.precision, c.precision) << c.declared;
    }
    EXPECT_THROW(MapDeclaredType("varchar(max)"), EConvertError);
}
