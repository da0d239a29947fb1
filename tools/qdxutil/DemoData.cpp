#include "DemoData.h"

#include <cmath>
#include <string>
#include <vector>

#include "DemoRecord.h"
#include "base/CodePage437.h"

namespace qdxutil {
namespace {

const char kSchemaText[] = R"(# The Quarrydex demo database: a small trading business.
# Written by "qdxutil demo"; "qdxutil define DIR demo-schema.txt" defines the
# same tables (empty) again. The format is described in docs/SCHEMA.md.

table Customers location customers.dat
  field CustomerId   "Auto Increment" 4
  field Name         String 30
  field City         LString 26
  field Country      ZString 20
  field Phone        String 18
  field Since        Date
  field CreditLimit  Currency
  field Balance      Decimal 7 2
  field Active       Logical
  index 0 : CustomerId
  index 1 duplicates modifiable : Name case-insensitive
  index 2 duplicates modifiable : Country case-insensitive, City case-insensitive
  index 3 duplicates modifiable : Balance descending

table Products location products.dat
  field Code         String 8
  field Description  String 40
  field ListPrice    Float 8 2
  field Weight       Float 4 3
  field Density      Float 10 4
  field LegacyPrice  BFloat 8 2
  field LegacyCost   BFloat 4 2
  field Stock        Integer 2
  field ReorderLevel "Unsigned Integer" 2
  field Barcode      Integer 8
  field Introduced   Date
  field Discontinued Bit
  index 0 : Code case-insensitive
  index 1 duplicates : Description case-insensitive
  index 2 duplicates modifiable : ListPrice descending

table Orders location orders.dat
  field OrderNo      Integer 4
  field CustomerId   Integer 4
  field "Order Date" Date
  field "Order Time" Time
  field Status       String 10
  field Priority     Integer 1
  field Total        Decimal 8 2
  field Paid         Logical
  index 0 : OrderNo
  index 1 duplicates : CustomerId, "Order Date" descending
  index 2 duplicates modifiable : "Order Date"

table "Order Lines" location orderlin.dat
  field OrderNo      Integer 4
  field LineNo       Integer 2
  field Product      String 8
  field Quantity     Integer 2
  field UnitPrice    Currency
  field Discount     Float 4 1
  field LineTotal    Decimal 7 2
  index 0 : OrderNo, LineNo
  index 1 duplicates : Product case-insensitive

# Variable-length records: the Note holds up to 2000 characters.
table Notes location notes.dat
  field NoteId       Integer 4
  field CustomerId   Integer 4
  field Written      Date
  field Author       String 20
  field Subject      String 30
  field Text         Note 2000
  index 0 : NoteId
  index 1 duplicates : CustomerId, Written

# Opened only with the owner name.
table Payroll location payroll.dat owner paydesk
  field EmployeeNo   Integer 2
  field Name         String 30
  field Department   String 16
  field StartDate    Date
  field ShiftStart   Time
  field HourlyRate   Decimal 4 2
  field Salary       Currency
  field Bonus        Float 8 2
  field IBAN         ZString 35
  index 0 : EmployeeNo
  index 1 duplicates : Department case-insensitive, Name case-insensitive

# Listed in the dictionary; its file does not exist until someone creates it.
table Suppliers location suppliers.dat nocreate
  field SupplierId   Integer 4
  field Name         String 30
  field Country      String 20
  field Rating       "Unsigned Integer" 1
  index 0 : SupplierId
  index 1 duplicates : Name case-insensitive
)";

constexpr int kCustomers = 120;
constexpr int kProducts = 80;
constexpr int kNotes = 150;
constexpr int kEmployees = 40;

// splitmix64: small, fast and the same everywhere.
class Random {
public:
    explicit Random(uint64_t seed) : state(seed) {}
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // lo to hi inclusive.
    int64_t Range(int64_t lo, int64_t hi) { return lo + static_cast<int64_t>(Next() % static_cast<uint64_t>(hi - lo + 1)); }
    bool Chance(int percent) { return Range(0, 99) < percent; }

private:
    uint64_t state;
};

// Words written in UTF-8 here, held in code page 437.
class Words {
public:
    Words(std::initializer_list<const char*> utf8) {
        for (const char* w : utf8) items.push_back(cp437::FromUtf8(w));
    }
    const std::string& Pick(Random& r) const { return items[r.Next() % items.size()]; }
    const std::string& operator[](size_t i) const { return items[i % items.size()]; }
    size_t Size() const { return items.size(); }

private:
    std::vector<std::string> items;
};

const Words kFirstNames = {"José", "Zoë", "François", "Jürgen", "Åsa", "Björn", "Ana", "Ingrid", "Noël",
                           "Chloé", "Mónica", "Raúl", "Günter", "Hélène", "Inés", "Jörg", "Lucía", "Margit",
                           "Matías", "Renée", "Sébastien", "Thérèse", "Émile", "Amélie", "Tom", "Mary",
                           "Kenji", "Priya", "Olga", "Ümit"};
const Words kLastNames = {"Müller", "Núñez", "Dupré", "Ångström", "Gonçalves", "Lefèvre", "Brontë", "Hernández",
                          "Schäfer", "Weiß", "Björk", "O'Brien", "Smith", "Kowalski", "Nakamura", "Rossi",
                          "García", "Fernández", "Dubois", "Jäger", "Böhm", "Peña", "Ibáñez", "Strauß",
                          "Çelik", "Åberg", "Östlund", "Ménard", "Patel", "Fähnrich"};
const Words kCompanies = {"Café Zürich AG", "Bäckerei Groß", "Librería Núñez", "Château Lafête SARL",
                          "Hôtel du Lac", "Kaffeehaus Würzl", "Åkerlund & Söner AB", "Northwind Traders",
                          "Größenwahn GmbH", "Pâtisserie Crème", "Señor Jalapeño S.L.", "Mühle am Bach KG"};
struct Place {
    const char* city;
    const char* country;
    const char* dialling;
};
const Place kPlaces[] = {
    {"Zürich", "Schweiz", "+41 44"},     {"Genève", "Suisse", "+41 22"},      {"München", "Deutschland", "+49 89"},
    {"Köln", "Deutschland", "+49 221"},  {"Düsseldorf", "Deutschland", "+49 211"}, {"Wien", "Österreich", "+43 1"},
    {"Linz", "Österreich", "+43 732"},   {"Málaga", "España", "+34 952"},     {"A Coruña", "España", "+34 981"},
    {"Montréal", "Canada", "+1 514"},    {"Québec", "Canada", "+1 418"},      {"Göteborg", "Sverige", "+46 31"},
    {"Malmö", "Sverige", "+46 40"},      {"Paris", "France", "+33 1"},        {"Besançon", "France", "+33 381"},
    {"Porto", "Portugal", "+351 22"},    {"Dublin", "Ireland", "+353 1"},     {"New York", "USA", "+1 212"},
    {"Kraków", "Polska", ""},            {"", "", ""}};
const Words kItems = {"Espresso cup, façade pattern", "Crème brûlée dish", "Piñata, donkey", "Jalapeño sauce 250 ml",
                      "Müsli bowl, stoneware", "Entrée plate, white", "Café au lait mug", "Smörgås board, birch",
                      "Raclette grill for 8", "Fondue set, cast iron", "Tea towel, linen", "Chef's knife 20 cm",
                      "Pepper mill, oak", "Salad spinner", "Stockpot 9 l", "Cake tin, spring form",
                      "Wine glasses (6)", "Carafe 1 l", "Cutlery set, 24 pieces", "Apron, blue stripes",
                      "Bread basket", "Cheese slicer", "Olive oil pourer", "Garlic press", "Rolling pin",
                      "Cookie cutters (12)", "Oven mitts", "Soup ladle", "Butter dish", "Egg cups (4)",
                      "Mortar and pestle", "Ice cube tray", "Waffle iron", "Kitchen scale", "Timer, 60 min",
                      "Paella pan 40 cm", "Tajine, terracotta", "Wok, carbon steel", "Rice cooker", "Frühstücksbrett"};
const char* const kCodePrefixes[] = {"KT", "TB", "GL", "CK", "AC"};
const Words kStatuses = {"Invoiced", "Shipped", "Open", "Cancelled", "Returned"};
const Words kAuthors = {"Anna Schäfer", "Björn Åberg", "Chloé Dubois", "Dev Patel", "Elena García", "Frank Müller"};
const Words kSubjects = {"Delivery", "Invoice", "Complaint", "Visit", "Credit", "Returns", "Address change",
                         "Catalogue", "Réclamation", "Lieferung"};
const Words kSentences = {
    "Kunde wünscht Lieferung nach Köln, bitte vor 10 Uhr.",
    "Le client a demandé une remise de 5 % sur la prochaine commande.",
    "Phoned about the invoice; promised payment by Friday.",
    "Reclamación: dos tazas llegaron rotas, se envía reposición.",
    "Prefers delivery on Tuesdays; ring twice at the back door.",
    "Zahlungserinnerung verschickt, Antwort steht aus.",
    "Visited the showroom with his daughter Zoë; liked the crème brûlée dishes.",
    "Credit limit raised after review by accounts.",
    "Ärger über verspätete Lieferung - Gutschrift über 25,00 EUR erteilt.",
    "Nouvelle adresse de facturation à Genève à partir du 1er mars.",
    "Asked for a catalogue in Spanish; sent the 2019 edition.",
    "Back order of 12 piñatas cleared.",
    "Returned goods inspected: packaging damaged, contents fine.",
    "Account on hold until the overdue balance is settled.",
    "Très satisfait du service après-vente.",
    "Bestellung per Fax bestätigt; die Fax-Nummer ändert sich nächsten Monat."};
const Words kDepartments = {"Sales", "Warehouse", "Accounts", "Management", "Service", "Dispatch"};
const char* const kIbanCountries[] = {"CH", "DE", "AT", "FR", "ES", "SE"};

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

void RandomDate(DemoRecord& rec, int field, Random& r, int firstYear, int lastYear) {
    int year = static_cast<int>(r.Range(firstYear, lastYear));
    int month = static_cast<int>(r.Range(1, 12));
    rec.Date(field, year, month, static_cast<int>(r.Range(1, DaysInMonth(year, month))));
}

// Days since 1 March of year 0 in the proleptic Gregorian calendar, and back.
int64_t DayNumber(int year, int month, int day) {
    if (month <= 2) --year;
    int64_t era = year / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
}

void FromDayNumber(int64_t n, int& year, int& month, int& day) {
    int64_t era = n / 146097;
    int64_t dayOfEra = n - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

std::string Digits(Random& r, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + r.Range(0, 9));
    return s;
}

// Each draw is its own statement: the order of operands and arguments is
// unspecified, and the demo must be the same whichever compiler built it.
std::string PersonName(Random& r) {
    const std::string& last = kLastNames.Pick(r);
    return kFirstNames.Pick(r) + " " + last;
}

bool Customers(const SchemaTable& t, DemoSink& sink) {
    Random r(1001);
    DemoRecord rec(t);
    const int id = rec.Field("CustomerId"), name = rec.Field("Name"), city = rec.Field("City"),
              country = rec.Field("Country"), phone = rec.Field("Phone"), since = rec.Field("Since"),
              credit = rec.Field("CreditLimit"), balance = rec.Field("Balance"), active = rec.Field("Active");
    constexpr int kPlaceCount = sizeof kPlaces / sizeof kPlaces[0];
    for (int i = 1; i <= kCustomers; ++i) {
        rec.Clear();
        rec.Int(id, i);
        rec.Text(name, r.Chance(25) ? kCompanies.Pick(r) : PersonName(r));
        // The last place has no city or country: a customer whose address is unknown.
        const Place& p = kPlaces[i == kCustomers ? kPlaceCount - 1 : r.Range(0, kPlaceCount - 2)];
        rec.Text(city, cp437::FromUtf8(p.city));
        rec.Text(country, cp437::FromUtf8(p.country));
        if (*p.dialling) {
            const std::string line = Digits(r, 4);
            rec.Text(phone, std::string(p.dialling) + " " + Digits(r, 3) + " " + line);
        }
        RandomDate(rec, since, r, 1962, 2024);
        rec.Currency(credit, r.Range(0, 100) * 500 * 10000LL);
        int64_t cents = r.Chance(30) ? -r.Range(1, 500000) : r.Range(0, 2500000);
        rec.Decimal(balance, i == 1 ? 0 : cents);
        rec.Bool(active, r.Chance(85));
        if (!sink.Insert(rec.Data(), rec.Length())) return false;
    }
    return true;
}

// EAN-13: twelve digits and a check digit (weights 1 and 3 from the left).
int64_t Ean13(Random& r) {
    std::string digits = "400" + Digits(r, 9);
    int sum = 0;
    for (size_t i = 0; i < digits.size(); ++i) sum += (digits[i] - '0') * (i % 2 ? 3 : 1);
    digits += static_cast<char>('0' + (10 - sum % 10) % 10);
    return std::stoll(digits);
}

bool Products(const SchemaTable& t, DemoSink& sink, std::vector<std::string>& codes, std::vector<int64_t>& prices) {
    Random r(1002);
    DemoRecord rec(t);
    const int code = rec.Field("Code"), desc = rec.Field("Description"), list = rec.Field("ListPrice"),
              weight = rec.Field("Weight"), density = rec.Field("Density"), legacy = rec.Field("LegacyPrice"),
              cost = rec.Field("LegacyCost"), stock = rec.Field("Stock"), reorder = rec.Field("ReorderLevel"),
              barcode = rec.Field("Barcode"), introduced = rec.Field("Introduced"), gone = rec.Field("Discontinued");
    for (int i = 0; i < kProducts; ++i) {
        rec.Clear();
        std::string c = std::string(kCodePrefixes[i % 5]) + "-" + std::to_string(1001 + i);
        codes.push_back(c);
        rec.Text(code, c);
        rec.Text(desc, kItems[static_cast<size_t>(i)] + (i >= static_cast<int>(kItems.Size()) ? ", large" : ""));
        int64_t cents = r.Range(99, 99999);
        prices.push_back(cents);
        rec.Float(list, static_cast<double>(cents) / 100.0);
        rec.Float(weight, static_cast<double>(r.Range(50, 25000)) / 1000.0);
        rec.Float(density, static_cast<double>(r.Range(5000, 80000)) / 10000.0);
        rec.BFloat(legacy, std::round(static_cast<double>(cents) * 0.93) / 100.0);
        rec.BFloat(cost, static_cast<double>(cents * 55 / 100) / 100.0);
        rec.Int(stock, r.Chance(10) ? -r.Range(1, 50) : r.Range(0, 2000));
        rec.Int(reorder, r.Range(0, 60000));
        rec.Int(barcode, Ean13(r));
        RandomDate(rec, introduced, r, 1975, 2024);
        rec.Bool(gone, r.Chance(10));
        if (!sink.Insert(rec.Data(), rec.Length())) return false;
    }
    return true;
}

// Every order has 0 to 2 lines; orders pair up so that the lines number
// exactly as many as the orders. Order numbers follow the order dates, which
// run from January 1988 to December 2024 whatever the number of orders (and
// keep the engine's index inserts close together when there are millions).
bool OrdersAndLines(const SchemaTable& ordersTable, const SchemaTable& linesTable, long long rows,
                    const std::vector<std::string>& codes, const std::vector<int64_t>& prices, DemoSink& orders,
                    DemoSink& lines) {
    Random r(1003);
    DemoRecord order(ordersTable), line(linesTable);
    const int no = order.Field("OrderNo"), customer = order.Field("CustomerId"), date = order.Field("Order Date"),
              time = order.Field("Order Time"), status = order.Field("Status"), priority = order.Field("Priority"),
              total = order.Field("Total"), paid = order.Field("Paid");
    const int lNo = line.Field("OrderNo"), lLine = line.Field("LineNo"), lProduct = line.Field("Product"),
              lQuantity = line.Field("Quantity"), lPrice = line.Field("UnitPrice"), lDiscount = line.Field("Discount"),
              lTotal = line.Field("LineTotal");
    static const int kDiscountTenths[] = {0, 0, 0, 50, 100, 125, 150, 200};
    int64_t pairShift = 0;
    const int64_t firstDay = DayNumber(1988, 1, 4), days = DayNumber(2024, 12, 20) - firstDay;
    for (long long k = 0; k < rows; ++k) {
        int lineCount = 1;
        if (k % 2 == 0 && k + 1 < rows) {
            pairShift = r.Range(-1, 1);
            lineCount = static_cast<int>(1 + pairShift);
        } else if (k % 2 == 1) {
            lineCount = static_cast<int>(1 - pairShift);
        }
        const int64_t orderNo = 100001 + k;
        int s = static_cast<int>(r.Range(0, 99));
        const std::string& state = kStatuses[s < 50 ? 0 : s < 70 ? 1 : s < 85 ? 2 : s < 93 ? 3 : 4];
        bool returned = state == "Returned";
        int64_t orderCents = 0;
        for (int n = 1; n <= lineCount; ++n) {
            line.Clear();
            size_t product = static_cast<size_t>(r.Range(0, static_cast<int64_t>(codes.size()) - 1));
            int64_t quantity = r.Range(1, 24) * (returned ? -1 : 1);
            int discount = kDiscountTenths[r.Range(0, 7)];
            int64_t cents = quantity * prices[product] * (1000 - discount);
            cents = (cents >= 0 ? cents + 500 : cents - 500) / 1000;
            orderCents += cents;
            line.Int(lNo, orderNo);
            line.Int(lLine, n);
            line.Text(lProduct, codes[product]);
            line.Int(lQuantity, quantity);
            line.Currency(lPrice, prices[product] * 100);
            line.Float(lDiscount, discount / 10.0);
            line.Decimal(lTotal, cents);
            if (!lines.Insert(line.Data(), line.Length())) return false;
        }
        order.Clear();
        order.Int(no, orderNo);
        order.Int(customer, r.Range(1, kCustomers));
        int year, month, day;
        FromDayNumber(firstDay + (rows > 1 ? days * k / (rows - 1) : 0), year, month, day);
        order.Date(date, year, month, day);
        const int second = static_cast<int>(r.Range(0, 59)), minute = static_cast<int>(r.Range(0, 59));
        order.Time(time, static_cast<int>(r.Range(7, 19)), minute, second, 0);
        order.Text(status, lineCount == 0 ? (r.Chance(50) ? "Open" : "Cancelled") : state);
        order.Int(priority, r.Range(-1, 3));
        order.Decimal(total, orderCents);
        order.Bool(paid, state == "Invoiced" ? r.Chance(90) : false);
        if (!orders.Insert(order.Data(), order.Length())) return false;
    }
    return true;
}

bool Notes(const SchemaTable& t, DemoSink& sink) {
    Random r(1004);
    DemoRecord rec(t);
    const int id = rec.Field("NoteId"), customer = rec.Field("CustomerId"), written = rec.Field("Written"),
              author = rec.Field("Author"), subject = rec.Field("Subject"), text = rec.Field("Text");
    for (int i = 1; i <= kNotes; ++i) {
        rec.Clear();
        rec.Int(id, i);
        rec.Int(customer, r.Range(1, kCustomers));
        RandomDate(rec, written, r, 1995, 2024);
        rec.Text(author, kAuthors.Pick(r));
        rec.Text(subject, kSubjects.Pick(r));
        // One note runs to the field's full length; the others hold a few sentences.
        int sentences = i == 7 ? 200 : static_cast<int>(r.Range(1, 5));
        std::string body;
        for (int n = 0; n < sentences; ++n) body += (n ? " " : "") + kSentences.Pick(r);
        rec.Text(text, body);
        if (!sink.Insert(rec.Data(), rec.Length())) return false;
    }
    return true;
}

bool Payroll(const SchemaTable& t, DemoSink& sink) {
    Random r(1005);
    DemoRecord rec(t);
    const int no = rec.Field("EmployeeNo"), name = rec.Field("Name"), dept = rec.Field("Department"),
              start = rec.Field("StartDate"), shift = rec.Field("ShiftStart"), rate = rec.Field("HourlyRate"),
              salary = rec.Field("Salary"), bonus = rec.Field("Bonus"), iban = rec.Field("IBAN");
    static const int kShifts[][2] = {{6, 0}, {7, 30}, {8, 0}, {9, 0}, {14, 0}, {22, 0}};
    for (int i = 1; i <= kEmployees; ++i) {
        rec.Clear();
        rec.Int(no, i);
        rec.Text(name, PersonName(r));
        rec.Text(dept, kDepartments.Pick(r));
        RandomDate(rec, start, r, 1968, 2024);
        const int* s = kShifts[r.Range(0, 5)];
        rec.Time(shift, s[0], s[1], 0, 0);
        int64_t cents = r.Range(1450, 6800);
        rec.Decimal(rate, cents);
        rec.Currency(salary, cents * 1720 * 100);
        rec.Float(bonus, static_cast<double>(r.Chance(20) ? -r.Range(1, 500) * 100 : r.Range(0, 3000) * 100) / 100.0);
        const std::string check = Digits(r, 2);
        std::string number = kIbanCountries[r.Range(0, 5)] + check;
        std::string account = Digits(r, 18), grouped = number;
        for (size_t g = 0; g < account.size(); g += 4) grouped += " " + account.substr(g, 4);
        rec.Text(iban, grouped);
        if (!sink.Insert(rec.Data(), rec.Length())) return false;
    }
    return true;
}

const SchemaTable& TableNamed(const Schema& schema, const char* name) {
    for (const SchemaTable& t : schema.tables)
        if (t.name == name) return t;
    std::abort();  // the demo schema above names every table used here
}

}  // namespace

const char* DemoSchemaText() { return kSchemaText; }

bool GenerateDemo(const Schema& schema, long long rows, const std::function<DemoSink*(const Estring&)>& sinkFor) {
    std::vector<std::string> codes;
    std::vector<int64_t> prices;
    return Customers(TableNamed(schema, "Customers"), *sinkFor("Customers")) &&
           Products(TableNamed(schema, "Products"), *sinkFor("Products"), codes, prices) &&
           OrdersAndLines(TableNamed(schema, "Orders"), TableNamed(schema, "Order Lines"), rows, codes, prices,
                          *sinkFor("Orders"), *sinkFor("Order Lines")) &&
           Notes(TableNamed(schema, "Notes"), *sinkFor("Notes")) &&
           Payroll(TableNamed(schema, "Payroll"), *sinkFor("Payroll"));
}

}  // namespace qdxutil
