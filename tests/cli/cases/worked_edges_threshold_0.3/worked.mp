Worked example
Pop 1,0,0
Pop 2,0,5
Pop 3,0,10
Pop 4,0,20
Migration
Pop. ALL
100
Pop. 1
10
Pop. 2
20
Pop. 3
30
Pop. 4
40
