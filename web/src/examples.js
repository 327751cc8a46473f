// Example input files for the page's picker: one per operator and one that
// nests them. Operands of union and minus are in ascending row order, as the
// program expects.
export const EXAMPLES = [
  {
    id: 'union',
    title: { en: 'union: rows of both', hu: 'union: mindkettő sorai' },
    text: `union(R, S)

R(id int, label char(10))
1,'apple'
2,'pear'

S(id int, label char(10))
2,'pear'
3,'plum'
`,
  },
  {
    id: 'minus',
    title: { en: 'minus: rows of A not in B', hu: 'minus: A sorai, amelyek B-ben nincsenek' },
    text: `minus(Enrolled, Passed)

Enrolled(student char(8), course char(8))
'Anna','Algebra'
'Anna','Logic'
'Bela','Algebra'
'Csilla','Logic'

Passed(student char(8), course char(8))
'Anna','Algebra'
'Csilla','Logic'
`,
  },
  {
    id: 'product',
    title: { en: 'product: every pairing', hu: 'product: minden párosítás' },
    text: `product(Shirts, Trousers)

Shirts(shirt char(8))
'blue'
'white'

Trousers(trousers char(8))
'black'
'grey'
'navy'
`,
  },
  {
    id: 'project',
    title: { en: 'project: some columns, no repeats', hu: 'project: néhány oszlop, ismétlés nélkül' },
    text: `project(Students, city, year)

Students(id int, name char(10), city char(10), year int)
1,'Anna','Szeged',2
2,'Bela','Pecs',1
3,'Csilla','Szeged',2
4,'Dani','Gyor',3
5,'Emese','Pecs',1
`,
  },
  {
    id: 'rename',
    title: { en: 'rename: new relation and column names', hu: 'rename: új reláció- és oszlopnevek' },
    text: `rename(Students, Pupils(pupil_id, pupil_name))

Students(id int, name char(10))
1,'Anna'
2,'Bela'
`,
  },
  {
    id: 'select',
    title: { en: 'select: rows that meet a condition', hu: 'select: a feltételnek megfelelő sorok' },
    text: `select(Students, AND(EQ(city, 'Szeged'), GT(year, '1')))

Students(id int, name char(10), city char(10), year int)
1,'Anna','Szeged',2
2,'Bela','Pecs',1
3,'Csilla','Szeged',1
4,'Dani','Szeged',3
`,
  },
  {
    id: 'nested',
    title: { en: 'nested: who takes which course', hu: 'nested: ki melyik kurzust veszi fel' },
    text: `project(select(product(Students, Enrolments), EQ(id, student)), name, course)

Students(id int, name char(10))
1,'Anna'
2,'Bela'
3,'Csilla'

Enrolments(student int, course char(10))
1,'Algebra'
1,'Logic'
3,'Algebra'
`,
  },
];
