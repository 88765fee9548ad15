#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>

#include "layers/store/dberrors.h"

namespace {

// What CheckDBResult must do with one code: pass, or raise an exception of
// a given class with a given message and code.
struct CodeCase {
  int code;
  bool raises;
  const char* message;
  std::function<bool(const EDBError&)> isClass;
};

template <class T>
bool Is(const EDBError& e) {
  // Every error is an EDBError: the cast would only compare a reference's
  // address with null.
  if constexpr (std::is_base_of_v<T, EDBError>) return true;
  else return dynamic_cast<const T*>(&e) != nullptr;
}

}  // namespace

TEST(DBResult, CodesHaveTheirFixedValues) {
  EXPECT_EQ(kDBNothing, -1);
  EXPECT_EQ(kDBEnd, -2);
  EXPECT_EQ(kDBUnknownBase, -3);
  EXPECT_EQ(kDBNoBase, -4);
  EXPECT_EQ(kDBAccess, -5);
  EXPECT_EQ(kDBBadHandle, -6);
  EXPECT_EQ(kDBNotOpen, -7);
  EXPECT_EQ(kDBNotImplemented, -8);
  EXPECT_EQ(kDBNoCatalogue, -10);
}

TEST(DBResult, CheckRaisesTheExceptionOfEveryCode) {
  const CodeCase cases[] = {
      {0, false, "", nullptr},
      {1, false, "", nullptr},
      {123456, false, "", nullptr},
      {-1, true, "DB: Błąd: -1", Is<EDBError>},
      {-2, false, "", nullptr},
      {-3, true, "DB: Błędny identyfikator bazy", Is<EBadBaseId>},
      {-4, true, "DB: Nie wlogowany", Is<ENotLoggedIn>},
      {-5, true, "DB: Błąd dostępu", Is<EAccessError>},
      {-6, true, "DB: Błędny uchwyt", Is<EInvalidHandle>},
      {-7, true, "DB: Warstwa nie otwarta", Is<ENotOpen>},
      {-8, false, "", nullptr},
      {-9, true, "DB: Błąd: -9", Is<EDBError>},
      {-10, false, "", nullptr},
      {-11, true, "DB: Błąd: -11", Is<EDBError>},
      {-2147483647 - 1, true, "DB: Błąd: -2147483648", Is<EDBError>},
  };
  for (const CodeCase& c : cases) {
    SCOPED_TRACE(c.code);
    if (!c.raises) {
      EXPECT_NO_THROW(CheckDBResult(c.code));
      continue;
    }
    try {
      CheckDBResult(c.code);
      ADD_FAILURE() << "no exception";
    } catch (const EDBError& e) {
      EXPECT_TRUE(c.isClass(e));
      EXPECT_EQ(e.Message(), c.message);
      // The plain error keeps its code for a handler that wants it.
      if (typeid(e) == typeid(EDBError)) {
        EXPECT_EQ(e.Code, c.code);
      }
    }
  }
}

TEST(DBResult, ExceptionFamilyAndOwnMessages) {
  // The base classes a handler catches by.
  EXPECT_TRUE(Is<EDBBaseError>(EBadBaseId("x")));
  EXPECT_TRUE(Is<EDBBaseError>(EInvalidHandle("x")));
  EXPECT_TRUE(Is<EDBWarstwaError>(EDBWarstwaExist("x")));
  EXPECT_TRUE(Is<EDBWarstwaCreate>(EDBWarstwaExist("x")));
  EXPECT_TRUE(Is<EDBWarstwaError>(EDBWarstwaInvalidHIdx("x")));
  EXPECT_TRUE(Is<EDBWarstwaError>(ENotOpen()));
  EXPECT_FALSE(Is<EDBWarstwaError>(EDBRecordError("x")));
  EXPECT_EQ(ENotLoggedIn().Message(), "Nie wlogowany");
  EXPECT_EQ(EAccessError().Message(), "Błąd dostępu");
  EXPECT_EQ(ENotOpen().Message(), "Warstwa nie otwarta");
  const EDBError e = EDBError::CreateCode(7, "Warstwa %s istnieje", "ABC");
  EXPECT_EQ(e.Message(), "Warstwa ABC istnieje");
  EXPECT_EQ(e.Code, 7);
}
