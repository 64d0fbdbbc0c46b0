Pop 1,10,20
Pop 2,12,18
Migration
Pop. ALL
100
110
Pop. 1
60
65
Pop. 2
40
