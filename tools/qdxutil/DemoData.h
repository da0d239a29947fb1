#pragma once
// The demo database of a small trading business: its schema and its data,
// generated from a fixed seed so that every run writes the same records.
//
// Tables: Customers, Products, Orders, Order Lines, Notes (variable-length
// records with a Note field), Payroll (protected by the owner name
// kDemoOwner) and Suppliers (listed, but its file is not created).

#include <cstdint>
#include <functional>

#include "dictionary/Schema.h"

namespace qdxutil {

constexpr const char* kDemoOwner = "paydesk";
constexpr const char* kDemoSchemaFile = "demo-schema.txt";
constexpr long long kDemoDefaultRows = 500;   // orders and order lines without --rows

// The schema, as written to the demo directory (UTF-8).
const char* DemoSchemaText();

// Receives the records of one table.
class DemoSink {
public:
    virtual ~DemoSink() = default;
    // False stops the generation.
    virtual bool Insert(const uint8_t* record, int length) = 0;
};

// Generates every table with a file: rows records each for Orders and Order
// Lines, fixed numbers for the others. sinkFor gives the sink of a table (by
// name). False when a sink refused a record.
// Requires: schema is DemoSchemaText() parsed.
bool GenerateDemo(const Schema& schema, long long rows, const std::function<DemoSink*(const Estring&)>& sinkFor);

}  // namespace qdxutil
