// Streams that end early, fail, or hold counts and lengths that no saved
// collection has: Load reports a failure and the collection keeps exactly
// what it held; Save reports the stream's failure instead of success.
#include "tests/persist/persist_support.h"

namespace persisttest {
namespace {

class DamagedStream : public DefinitionsTest {};

// A collection that already holds something, and what it saves as.
struct Target {
  ComPtr<IUnknown> collection;
  Bytes before;
};

Target DaysHoldingOne() {
  ComPtr<IDays> days = NewDays();
  AddDay(days.Get(), u"Keep", DateOf(2030, 3, 20), std::nullopt, dvTypeHoliday, u"春分の日");
  Target target;
  days->QueryInterface(IID_IUnknown, target.collection.ReceiveVoid());
  target.before = Saved(target.collection.Get());
  return target;
}

Target StylesHoldingOne() {
  ComPtr<IHLDYStyles> styles = NewStyles();
  ComPtr<IHLDYStyle> style = AddStyle(styles.Get(), u"Keep");
  ComPtr<IDays> days;
  style->get_Days(days.Receive());
  AddDay(days.Get(), u"D", DateOf(2030, 3, 20));
  Target target;
  styles->QueryInterface(IID_IUnknown, target.collection.ReceiveVoid());
  target.before = Saved(target.collection.Get());
  return target;
}

void ExpectUnchanged(const Target& target) {
  EXPECT_EQ(Hex(Saved(target.collection.Get())), Hex(target.before)) << "the collection keeps what it held";
}

struct Sample {
  const char* what;
  Bytes bytes;
  Target (*target)();
};

std::vector<Sample> Samples() {
  return {{"Days", Saved(SampleDays().Get()), DaysHoldingOne},
          {"HolidayStyles", Saved(SampleStyles().Get()), StylesHoldingOne}};
}

// Every prefix of a whole stream, from nothing to one byte short, on a
// memory stream (which reports the short read through its count only) and
// on a stream that answers S_FALSE at its end as a file stream does.
TEST_F(DamagedStream, AStreamCutAtAnyByteLoadsNothing) {
  for (const Sample& sample : Samples()) {
    SCOPED_TRACE(sample.what);
    Target target = sample.target();
    for (std::size_t length = 0; length < sample.bytes.size(); ++length) {
      const Bytes prefix(sample.bytes.begin(), sample.bytes.begin() + static_cast<std::ptrdiff_t>(length));
      ASSERT_EQ(LoadBytes(target.collection.Get(), prefix), STG_E_READFAULT) << "cut at " << length;
      ScriptedStream endsLikeAFile(prefix);
      ASSERT_EQ(PersistOf(target.collection.Get())->Load(&endsLikeAFile), STG_E_READFAULT) << "cut at " << length;
    }
    ExpectUnchanged(target);
    ASSERT_EQ(LoadBytes(target.collection.Get(), sample.bytes), S_OK) << "the whole stream";
  }
}

TEST_F(DamagedStream, ACutFileLoadsNothing) {
  char pattern[] = "/tmp/dovrel-persist-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::u16string path = std::u16string(dir.begin(), dir.end()) + u"/cut.bin";
  const Bytes whole = Saved(SampleStyles().Get());
  Target target = StylesHoldingOne();
  for (std::size_t length : {std::size_t{0}, std::size_t{5}, std::size_t{8}, whole.size() / 2, whole.size() - 1}) {
    {
      ComPtr<IStream> file;
      ASSERT_EQ(SHCreateStreamOnFileEx(path.c_str(), STGM_CREATE | STGM_WRITE, 0, TRUE, nullptr, file.Receive()),
                S_OK);
      if (length) {
        ASSERT_EQ(file->Write(whole.data(), static_cast<ULONG>(length), nullptr), S_OK);
      }
    }
    ComPtr<IStream> file;
    ASSERT_EQ(SHCreateStreamOnFileEx(path.c_str(), STGM_READ, 0, FALSE, nullptr, file.Receive()), S_OK);
    EXPECT_EQ(PersistOf(target.collection.Get())->Load(file.Get()), STG_E_READFAULT) << "cut at " << length;
  }
  ExpectUnchanged(target);
  EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
}

// A stream that fails is reported with its own result, wherever it fails.
TEST_F(DamagedStream, AReadFailureComesBackAsTheStreamGaveIt) {
  for (const Sample& sample : Samples()) {
    SCOPED_TRACE(sample.what);
    Target target = sample.target();
    for (ULONG at = 0; at < sample.bytes.size(); at += 7) {
      ScriptedStream failing(sample.bytes);
      failing.failReadAt = at;
      failing.readFailure = STG_E_ACCESSDENIED;
      ASSERT_EQ(PersistOf(target.collection.Get())->Load(&failing), STG_E_ACCESSDENIED) << "failing at " << at;
    }
    ExpectUnchanged(target);
  }
}

struct DamagedCase {
  const char* what;
  Bytes bytes;
  HRESULT result;
};

// Counts and byte counts that cannot come from a save, at every level.
TEST_F(DamagedStream, ImpossibleCountsAndLengthsAreRefused) {
  const StreamBytes oneDay = StreamBytes().I32(kVersion).I32(1).I32(2451545).I32(kNoDate2).I16(0);
  const DamagedCase daysCases[] = {
      {"a negative count", StreamBytes().I32(kVersion).I32(-1), kDamagedStreamData},
      {"the lowest count", StreamBytes().I32(kVersion).I32(INT32_MIN), kDamagedStreamData},
      {"a key of one byte", StreamBytes(oneDay).I32(1).I16(0x41), kDamagedStreamData},
      {"a key of an odd byte count", StreamBytes(oneDay).I32(5).I32(0x00420041).I16(0), kDamagedStreamData},
      {"a key of a negative byte count", StreamBytes(oneDay).I32(-2).NullStr(), kDamagedStreamData},
      {"a key of byte count 0x80000000", StreamBytes(oneDay).I32(0x80000000).NullStr(), kDamagedStreamData},
      {"a name without its closing zero", StreamBytes(oneDay).Str(u"K").I32(4).I16(0x41).I16(0x42),
       kDamagedStreamData},
      {"more Days announced than the stream holds",
       StreamBytes().I32(kVersion).I32(3).Day(2451545, kNoDate2, 0, u"A", std::nullopt), STG_E_READFAULT},
      {"a name longer than the stream", StreamBytes(oneDay).Str(u"K").I32(0x7FFFFFFE).I16(0x41),
       STG_E_READFAULT},
  };
  for (const DamagedCase& c : daysCases) {
    SCOPED_TRACE(c.what);
    Target target = DaysHoldingOne();
    EXPECT_EQ(LoadBytes(target.collection.Get(), c.bytes), c.result);
    ExpectUnchanged(target);
  }

  const StreamBytes styleFields = StreamBytes().I32(0).I32(0).I32(0).I32(0).I16(0).Str(u"S").NullStr();
  const DamagedCase stylesCases[] = {
      {"a negative count of styles", StreamBytes().I32(kVersion).I32(-7), kDamagedStreamData},
      {"a negative count of a style's Days", StreamBytes().I32(kVersion).I32(1).Raw(styleFields).I32(kVersion).I32(-1),
       kDamagedStreamData},
      {"a damaged Day in the second style",
       StreamBytes()
           .I32(kVersion)
           .I32(2)
           .Raw(styleFields)
           .I32(kVersion)
           .I32(0)
           .I32(0)
           .I32(0)
           .I32(0)
           .I32(0)
           .I16(0)
           .Str(u"T")
           .NullStr()
           .I32(kVersion)
           .I32(1)
           .I32(2451545)
           .I32(kNoDate2)
           .I16(0)
           .I32(3),
       kDamagedStreamData},
      {"a style's key of an odd byte count", StreamBytes().I32(kVersion).I32(1).I32(0).I32(0).I32(0).I32(0).I16(0).I32(7),
       kDamagedStreamData},
  };
  for (const DamagedCase& c : stylesCases) {
    SCOPED_TRACE(c.what);
    Target target = StylesHoldingOne();
    EXPECT_EQ(LoadBytes(target.collection.Get(), c.bytes), c.result);
    ExpectUnchanged(target);
  }
}

// The whole stream is read before anything joins: a failure in the last
// record leaves out the records before it too, and their objects are gone.
TEST_F(DamagedStream, NothingHalfLoadedStaysBehind) {
  const Bytes whole = Saved(SampleStyles().Get());
  Target target = StylesHoldingOne();
  const LONG locks = dovrel::ModuleLockCount();
  ASSERT_EQ(LoadBytes(target.collection.Get(), Bytes(whole.begin(), whole.end() - 1)), STG_E_READFAULT);
  EXPECT_EQ(dovrel::ModuleLockCount(), locks) << "the styles and Days read were released";
  LONG count = 0;
  ComPtr<IHLDYStyles> styles;
  target.collection->QueryInterface(IID_IHLDYStyles, styles.ReceiveVoid());
  styles->get_Count(&count);
  EXPECT_EQ(count, 1);
}

// Save reports what the stream reports: a failure as it came, and a stream
// that takes fewer bytes than it was given without a failure as a write
// fault. Never S_OK for data that did not reach the stream.
TEST_F(DamagedStream, SaveReportsAFailingStream) {
  for (const Sample& sample : Samples()) {
    SCOPED_TRACE(sample.what);
    Target target = sample.target();
    ASSERT_EQ(LoadBytes(target.collection.Get(), sample.bytes), S_OK);
    const Bytes whole = Saved(target.collection.Get());
    for (ULONG at = 0; at < whole.size(); ++at) {
      ScriptedStream full;
      full.failWriteAt = at;
      ASSERT_EQ(PersistOf(target.collection.Get())->Save(&full, TRUE), STG_E_MEDIUMFULL) << "full at " << at;
      EXPECT_EQ(Hex(full.Written()), Hex(Bytes(whole.begin(), whole.begin() + at)));
      ScriptedStream shortWrite;
      shortWrite.failWriteAt = at;
      shortWrite.writeFailure = S_OK;
      ASSERT_EQ(PersistOf(target.collection.Get())->Save(&shortWrite, TRUE), STG_E_WRITEFAULT) << "short at " << at;
    }
    ScriptedStream roomy;
    roomy.failWriteAt = static_cast<ULONG>(whole.size());
    EXPECT_EQ(PersistOf(target.collection.Get())->Save(&roomy, TRUE), S_OK) << "room for exactly the stream";
    EXPECT_EQ(Hex(roomy.Written()), Hex(whole));
  }
}

TEST_F(DamagedStream, SavingToAFileOpenedForReadingIsRefusedByTheStream) {
  char pattern[] = "/tmp/dovrel-persist-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::u16string path = std::u16string(dir.begin(), dir.end()) + u"/read-only.bin";
  {
    ComPtr<IStream> file;
    ASSERT_EQ(SHCreateStreamOnFileEx(path.c_str(), STGM_CREATE | STGM_WRITE, 0, TRUE, nullptr, file.Receive()), S_OK);
  }
  ComPtr<IStream> file;
  ASSERT_EQ(SHCreateStreamOnFileEx(path.c_str(), STGM_READ, 0, FALSE, nullptr, file.Receive()), S_OK);
  EXPECT_EQ(PersistOf(SampleDays().Get())->Save(file.Get(), TRUE), STG_E_ACCESSDENIED);
  EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
}

}  // namespace
}  // namespace persisttest
