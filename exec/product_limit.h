// The memory a product may claim before it is refused.
#pragma once

// Bytes, for all the products of one run together; the machine's memory, at
// most 16 GiB, unless set. Lowered by harnesses with a tight memory limit.
double productMemoryLimit();
void setProductMemoryLimit(double bytes);
